// SPDX-License-Identifier: MIT
// The add-in inside Gnumeric. At start-up the plugin loads libdfa.so from beside itself, runs the
// registration handshake and adds every function the add-in reports, under its entry name, to a
// function group of its own. A cell's call translates its dates from the workbook's date system
// and calls the add-in's export.
//
// Nothing here may throw into Gnumeric or bring it down: an add-in that cannot be loaded, or an
// entry that cannot be called, is one line on standard error and no function; an exception out
// of a cell's call is that cell's #VALUE!.
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <gnumeric.h>
#include <func.h>
#include <gnm-plugin.h>
#include <sheet.h>
#include <value.h>

#include "addin_loader.h"
#include "addin_probe.h"
#include "date_system.h"
#include "function_help.h"
#include "language_id.h"
#include "printable.h"

extern "C" {
// Declared extern first: a const object defined in C++ would otherwise stay internal.
G_MODULE_EXPORT extern GOPluginModuleDepend const go_plugin_depends[];
G_MODULE_EXPORT extern GOPluginModuleHeader const go_plugin_header;
GNM_PLUGIN_MODULE_HEADER;
G_MODULE_EXPORT const gchar* g_module_check_init(GModule* module);
G_MODULE_EXPORT void go_plugin_init(GOPlugin* plugin, GOCmdContext* context);
G_MODULE_EXPORT void go_plugin_shutdown(GOPlugin* plugin, GOCmdContext* context);
}

namespace {

using dfa_host::Role;

// A function as Gnumeric holds it: the add-in's entry, the roles of its inputs, and the texts
// its help points into (they must live as long as the function).
struct Registered {
    GnmFunc* func = nullptr;
    const dfa_host::FunctionInfo* function;
    std::vector<Role> roles;
    std::string argSpec;
    std::vector<std::string> texts;
    std::vector<GnmFuncHelp> help;
};

// The add-in is loaded once and kept, as the module is; the functions live from each activation
// of the plugin to its shutdown.
dfa_host::Addin* g_addin = nullptr;
std::vector<std::unique_ptr<Registered>>* g_registered = nullptr;

GQuark RegisteredQuark() {
    static const GQuark quark = g_quark_from_static_string("dfa-registered-function");
    return quark;
}

void Complain(const std::string& message) { g_printerr("dfa: %s\n", message.c_str()); }

GnmValue* Evaluate(GnmFuncEvalInfo* info, GnmValue const* const* args) {
    auto* func = const_cast<GnmFunc*>(gnm_eval_info_get_func(info));
    const auto* registered = static_cast<const Registered*>(g_object_get_qdata(G_OBJECT(func), RegisteredQuark()));
    if (!registered) return value_new_error_NAME(info->pos);
    const GODateConventions* conventions = info->pos->sheet ? sheet_date_conv(info->pos->sheet) : nullptr;
    const auto system = conventions && conventions->use_1904 ? dfa_gnumeric::DateSystem::k1904
                                                              : dfa_gnumeric::DateSystem::k1900;
    // Arguments come marshalled as numbers ("f"): Gnumeric has already turned empty cells into
    // 0, text into a number or #VALUE!, and passed errors through.
    double inputs[dfa_host::kMaxInputs] = {};
    for (std::size_t i = 0; i < registered->roles.size(); ++i) {
        const gnm_float value = value_get_as_float(args[i]);
        if (registered->roles[i] == Role::kMode) {
            inputs[i] = static_cast<double>(value);
        } else if (const auto serial = dfa_gnumeric::ToAddinSerial(value, system)) {
            inputs[i] = *serial;
        } else {
            return value_new_error_VALUE(info->pos);  // 29 February 1900, a day that never was
        }
    }
    double result = 0;
    try {
        result = g_addin->call(*registered->function, {inputs, registered->roles.size()});
    } catch (...) {
        return value_new_error_VALUE(info->pos);  // an exception out of the add-in: this cell's error
    }
    // A cell holds no NaN or infinity, whatever an add-in returns.
    if (!std::isfinite(result)) return value_new_error_NUM(info->pos);
    return value_new_float(result);
}

void Register(GnmFuncGroup* group, const dfa_host::FunctionInfo& function) {
    const dfa_gnumeric::FunctionHelp help = dfa_gnumeric::HelpFor(function);
    auto registered = std::make_unique<Registered>();
    registered->function = &function;
    registered->texts.push_back(function.entryName + ":" + help.description);
    for (const auto& argument : help.arguments) {
        registered->roles.push_back(argument.role);
        registered->argSpec += 'f';
        registered->texts.push_back(argument.name + ":" + argument.description);
    }
    registered->help.push_back({GNM_FUNC_HELP_NAME, registered->texts[0].c_str()});
    for (std::size_t i = 1; i < registered->texts.size(); ++i)
        registered->help.push_back({GNM_FUNC_HELP_ARG, registered->texts[i].c_str()});
    if (!help.example.empty()) {
        registered->texts.push_back(help.example);
        registered->help.push_back({GNM_FUNC_HELP_EXAMPLES, registered->texts.back().c_str()});
    }
    registered->help.push_back({GNM_FUNC_HELP_END, nullptr});

    // Gnumeric would hand the name over to the add-in in every workbook, and dispose of its own
    // function when this plugin disposes of what it registered.
    if (gnm_func_lookup(function.entryName.c_str(), nullptr)) {
        Complain("the add-in's function " + function.entryName + " is already a Gnumeric function; not registered");
        return;
    }
    GnmFuncDescriptor descriptor{};
    descriptor.name = function.entryName.c_str();
    descriptor.arg_spec = registered->argSpec.c_str();
    descriptor.help = registered->help.data();
    descriptor.fn_args = Evaluate;
    descriptor.flags = GNM_FUNC_SIMPLE;
    descriptor.impl_status = GNM_FUNC_IMPL_STATUS_UNIQUE_TO_GNUMERIC;
    descriptor.test_status = GNM_FUNC_TEST_STATUS_EXHAUSTIVE;
    GnmFunc* func = gnm_func_add(group, &descriptor, nullptr);
    if (!func) {
        Complain("Gnumeric refused the function " + function.entryName);
        return;
    }
    g_object_set_qdata(G_OBJECT(func), RegisteredQuark(), registered.get());
    registered->func = func;
    g_registered->push_back(std::move(registered));
}

// Gnumeric's plugins declare their functions when they are activated, in the order Gnumeric
// finds them, and this plugin may come first: the others that Gnumeric would activate are
// activated now, so that every function Gnumeric has is known before the add-in's are named.
// (A name taken first would be handed to the add-in, and the plugin that declares it later
// could no longer load its own.)
void ActivateOtherFunctionPlugins(GOPlugin* self) {
    for (GSList* p = go_plugins_get_available_plugins(); p; p = p->next) {
        auto* plugin = static_cast<GOPlugin*>(p->data);
        if (plugin == self || go_plugin_is_active(plugin) || go_plugin_db_is_plugin_marked_for_deactivation(plugin))
            continue;
        bool declaresFunctions = false;
        for (GSList* s = go_plugin_get_services(plugin); s && !declaresFunctions; s = s->next)
            declaresFunctions = GNM_IS_PLUGIN_SERVICE_FUNCTION_GROUP(s->data);
        if (!declaresFunctions) continue;
        GOErrorInfo* error = nullptr;
        go_plugin_activate(plugin, &error);
        if (error) go_error_info_free(error);  // Gnumeric reports it when it activates the plugin itself
    }
}

// Which plugin answers and with how many functions, for whoever has more than one: GLib's debug
// messages of the domain "dfa" (G_MESSAGES_DEBUG=dfa).
void Debug(const std::string& message) { g_log("dfa", G_LOG_LEVEL_DEBUG, "%s", message.c_str()); }

std::string LibraryPath(GOPlugin* plugin) {
    const char* dir = go_plugin_get_dir_name(plugin);
    return std::string(dir ? dir : ".") + "/libdfa.so";
}

}  // namespace

// Gnumeric holds pointers into this module until it exits: it must never be unloaded.
const gchar* g_module_check_init(GModule* module) {
    g_module_make_resident(module);
    return nullptr;
}

void go_plugin_init(GOPlugin* plugin, GOCmdContext*) {
    try {
        if (!g_registered) {
            const std::string library = LibraryPath(plugin);
            Debug(std::string("plugin folder ") + go_plugin_get_dir_name(plugin) + ", add-in " + library);
            const char* locale = std::setlocale(LC_MESSAGES, nullptr);
            const uint16_t language = dfa_host::LanguageId(locale ? locale : "C");
            g_registered = new std::vector<std::unique_ptr<Registered>>;
            // Loaded at every start of Gnumeric: an add-in that would hang or crash it is tried
            // in a process of its own first, and left out when it does; the file tried is the one loaded.
            const dfa_host::LibraryFile file(library);
            if (const std::string problem = dfa_host::ProbeAddin(file, language); !problem.empty()) {
                Complain("the add-in " + dfa_host::PrintablePath(library) + " " + problem + "; its functions are not registered");
                return;
            }
            g_addin = new dfa_host::Addin(file, language);
            if (!g_addin->ok()) Complain(g_addin->error());
            for (const std::string& problem : g_addin->problems()) Complain(problem);
        }
        if (!g_addin || !g_addin->ok() || !g_registered->empty()) return;  // nothing to offer, or active already
        ActivateOtherFunctionPlugins(plugin);
        GnmFuncGroup* group = gnm_func_group_fetch("dfa", "Date (dfa add-in)");
        for (const dfa_host::FunctionInfo& function : g_addin->functions()) Register(group, function);
        // How many of the add-in's functions this plugin answers for: another plugin that
        // registered them first, announced or not, leaves it fewer.
        Debug("registered " + std::to_string(g_registered->size()) + " functions");
    } catch (const std::exception& e) {
        Complain(std::string("cannot register the add-in: ") + e.what());
    } catch (...) {
        Complain("cannot register the add-in: it threw an exception");
    }
}

// Gnumeric is done with the functions: those the plugin registered go, and their help with them.
// The add-in stays loaded, as the module does, for the plugin's next activation.
void go_plugin_shutdown(GOPlugin*, GOCmdContext*) {
    if (!g_registered) return;
    for (auto& registered : *g_registered) {
        gnm_func_dispose(registered->func);
        g_object_unref(registered->func);
    }
    g_registered->clear();
}

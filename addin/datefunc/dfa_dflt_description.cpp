// SPDX-License-Identifier: MIT
// The component description handed to the host's component loader. Its bytes are fixed:
// loaders compare and parse it as it stands, tabs and placeholders included.
#include "dfa.h"

namespace {

constexpr char aDescription[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE module-description PUBLIC \"-//Quellora//DTD ComponentDescription 1.0//EN\" \"module-description.dtd\">\n"
    "<module-description xmlns:xlink=\"http://www.w3.org/1999/xlink\">\n"
    "    <module-name> XXX </module-name>\n"
    "    <component-description>\n"
    "        <author> automatic generated </author>\n"
    "        <name> XXX </name>\n"
    "        <description> no description yet. </description>\n"
    "        <loader-name> com.vexon.orrin.loader.SharedLibrary\t</loader-name>\n"
    "        <language> c++\t</language>\n"
    "        <status value=\"under_construction\"/>\n"
    "        <supported-service>\tXXX </supported-service>\n"
    "\t</component-description>\n"
    "</module-description>\n"
    "\n";

}  // namespace

extern "C" const char* component_getDescriptionFunc(void) { return aDescription; }

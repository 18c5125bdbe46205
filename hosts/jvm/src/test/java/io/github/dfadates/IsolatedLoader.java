// SPDX-License-Identifier: MIT
package io.github.dfadates;

import java.net.MalformedURLException;
import java.net.URL;
import java.net.URLClassLoader;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;

/**
 * A class loader for running this jar's classes beside other versions of an engine: it defines
 * the packages it owns itself, from its own jars and then from the tests' class path (so that
 * this jar's classes link against the engine's classes it holds), hides the packages it must
 * not see, and leaves every other class to the tests' class loader.
 */
final class IsolatedLoader extends URLClassLoader {
    private final List<String> owned, hidden;

    IsolatedLoader(List<Path> jars, List<String> owned, List<String> hidden) {
        super(urls(jars), IsolatedLoader.class.getClassLoader());
        this.owned = List.copyOf(owned);
        this.hidden = List.copyOf(hidden);
    }

    private static URL[] urls(List<Path> jars) {
        final List<URL> urls = new ArrayList<>();
        try {
            for (final Path jar : jars) urls.add(jar.toUri().toURL());
            // This jar's classes and the tests', defined anew here.
            urls.add(Dfa.class.getProtectionDomain().getCodeSource().getLocation());
            urls.add(IsolatedLoader.class.getProtectionDomain().getCodeSource().getLocation());
        } catch (MalformedURLException e) {
            throw new IllegalArgumentException(e);
        }
        return urls.toArray(URL[]::new);
    }

    @Override
    protected Class<?> loadClass(String name, boolean resolve) throws ClassNotFoundException {
        if (hidden.stream().anyMatch(name::startsWith)) throw new ClassNotFoundException(name + " is hidden here");
        if (owned.stream().noneMatch(name::startsWith)) return super.loadClass(name, resolve);
        synchronized (getClassLoadingLock(name)) {
            Class<?> found = findLoadedClass(name);
            if (found == null) found = findClass(name);
            if (resolve) resolveClass(found);
            return found;
        }
    }
}

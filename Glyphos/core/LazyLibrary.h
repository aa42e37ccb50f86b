// Libraries opened the first time one of their functions is needed rather
// than linked: a short glyphos-cli command pays for every library it loads
// (mapping, relocation, fresh pages), and most commands need neither PNG
// nor zlib nor the font libraries.
//
//   #define ZLIB_FUNCTIONS(X) X(inflate) X(inflateEnd)
//   GLYPHOS_LAZY_LIBRARY(Zlib, ZlibLibrary, "libz.so.1", ZLIB_FUNCTIONS)
//   if (ZlibLibrary().loaded) ZlibLibrary().inflate(...);
//
// defines a struct Zlib with one pointer per function, named and typed
// after the library's own declaration, and an accessor that opens the
// library once and fills them; `loaded` is true only when every function
// was found.
#pragma once

#include <dlfcn.h>

#define GLYPHOS_LAZY_POINTER(f) decltype(&::f) f = nullptr;
#define GLYPHOS_LAZY_SYMBOL(f)                                    \
    l.f = reinterpret_cast<decltype(l.f)>(::dlsym(handle, #f)); \
    l.loaded = l.loaded && l.f != nullptr;

#define GLYPHOS_LAZY_LIBRARY(Type, accessor, soname, FUNCTIONS)                \
    struct Type {                                                              \
        FUNCTIONS(GLYPHOS_LAZY_POINTER)                                        \
        bool loaded = false;                                                   \
    };                                                                         \
    inline const Type& accessor() {                                            \
        static const Type library = [] {                                       \
            Type l;                                                            \
            void* const handle = ::dlopen(soname, RTLD_LAZY | RTLD_LOCAL);    \
            l.loaded = handle != nullptr;                                      \
            if (handle) {                                                      \
                FUNCTIONS(GLYPHOS_LAZY_SYMBOL)                                 \
            }                                                                  \
            return l;                                                          \
        }();                                                                   \
        return library;                                                        \
    }

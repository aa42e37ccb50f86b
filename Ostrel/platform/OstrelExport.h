// Symbol visibility for libostrel.so: the library is built with hidden
// visibility, and the classes production tools use or derive from are marked
// with OSTREL_API so that they stay part of its interface.
#pragma once

#define OSTREL_API __attribute__((visibility("default")))

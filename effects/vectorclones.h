// Functions compiled once per vector width, the widest the processor has
// chosen when the program loads. Only x86-64 has the clones; elsewhere the
// function is compiled once, for the baseline of its target.
#pragma once

#if defined(__x86_64__) && defined(__GNUC__)
#define PICTARON_VECTOR_CLONES(...) __attribute__((target_clones(__VA_ARGS__)))
#else
#define PICTARON_VECTOR_CLONES(...)
#endif

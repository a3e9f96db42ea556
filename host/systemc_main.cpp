// libsystemc supplies a main() that calls sc_main(), so every program linking it must define
// sc_main, even one with its own main() that uses only the fixed-point types. The library
// defines it once (weak, so a SystemC program's own sc_main takes precedence).
extern "C" __attribute__((weak)) int sc_main(int, char*[]) { return 0; }

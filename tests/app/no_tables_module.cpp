// A shared library that is no language module: it exports no resource tables.
extern "C" __attribute__((visibility("default"))) int TavikSomethingElse() {
  return 1;
}

// Test helper library: two entry points bound by name.
extern "C" int QUAVERLY_Add(int a, int b) { return a + b; }
extern "C" const char *QUAVERLY_Name() { return "entry points"; }

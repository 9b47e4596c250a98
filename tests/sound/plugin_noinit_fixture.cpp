// A library that lacks the plug-in entry point.
extern "C" __attribute__((visibility("default"))) int tw_not_a_plugin() { return 1; }

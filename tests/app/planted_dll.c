/* A harmless DLL that the tests put beside their programs, where a planted
   DLL would lie. */
__declspec(dllexport) int QvPlanted(void) { return 42; }

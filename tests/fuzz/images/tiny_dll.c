extern int hostOperation(int);
extern int byOrdinal(int);
__declspec(dllexport) int entry(int x) { return hostOperation(x) + byOrdinal(x); }

extern int hostOperation(int);
extern int maybe(int) __attribute__((weak));
int entry(int x) { return hostOperation(x) + (maybe ? maybe(x) : 0); }

// A shared library that is not a component: it lacks the entry points.
extern "C" __attribute__((visibility("default"))) int ljungboTestNotAComponent()
{
    return 42;
}
// Only one of the four: still not a component.
extern "C" __attribute__((visibility("default"))) int DllCanUnloadNow()
{
    return 0;
}

// A shared library without the provider export, for the "not a plug-in" case.
extern "C" __attribute__((visibility("default"))) int SomethingElse()
{
    return 7;
}

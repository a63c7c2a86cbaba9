// A DLL of a plug-in's own, which the plug-in withdep.spi imports: it lies beside the plug-in, where its author
// put it, and must never be taken from the current folder.
#define SPIDEP_EXPORT extern "C" __declspec(dllexport)

SPIDEP_EXPORT int __stdcall SpiDepAnswer() { return 42; }

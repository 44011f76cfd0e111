// Temporary files that must not outlive an interrupted program: a handler
// for SIGINT, SIGTERM, SIGHUP and SIGXFSZ removes every registered one, then
// lets the signal end the program as it would have (exit status 128+n).
#ifndef MANDELDIVE_OUTPUT_INTERRUPT_CLEANUP_H_
#define MANDELDIVE_OUTPUT_INTERRUPT_CLEANUP_H_

namespace mandeldive {

// Installs the handler; until then registering is harmless and does nothing
// on a signal.
void InstallInterruptCleanup();

// Notes a temporary file to remove on a signal. Returns its slot, or -1 when
// every slot is taken or the path is too long (the file is then left to its
// owner's ordinary cleanup). Not reentrant: for the main thread only.
int RegisterTemporary(const char* path);

// Forgets the slot (after the file was renamed or removed); -1 is ignored.
void ForgetTemporary(int slot);

}  // namespace mandeldive

#endif  // MANDELDIVE_OUTPUT_INTERRUPT_CLEANUP_H_

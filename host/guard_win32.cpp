// The guard as a structured exception handling frame. mingw's GCC has no
// __try, so the frame is linked into the thread's handler chain by hand.
//
// The handler asks UnhandledExceptionFilter for the verdict in the search
// pass. To run the guard's handler it longjmps back into RunGuarded:
// msvcrt's i386 longjmp first unwinds the chain down to the frame that was
// current at setjmp (our own, installed before it), calling the handlers of
// every frame in between, the dispatcher's included; then RunGuarded
// unlinks its frame as on the normal path. The frame carries the layout of
// a compiler-generated one with try level -1, so the local unwind that
// longjmp runs on it finds nothing to do. Wine's msvcrt does the same.
#include "guard.h"

#include <csetjmp>

namespace {

struct GuardFrame {
  EXCEPTION_REGISTRATION_RECORD record;
  void *scopeTable;
  LONG tryLevel;
};

jmp_buf faultResume;

EXCEPTION_DISPOSITION NTAPI OnFault(EXCEPTION_RECORD *record, PVOID,
                                    CONTEXT *context, PVOID) {
  if ((record->ExceptionFlags &
       (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) != 0) {
    return ExceptionContinueSearch;
  }
  EXCEPTION_POINTERS pointers = {record, context};
  switch (UnhandledExceptionFilter(&pointers)) {
  case EXCEPTION_EXECUTE_HANDLER:
    longjmp(faultResume, 1);
  case EXCEPTION_CONTINUE_EXECUTION:
    return ExceptionContinueExecution;
  default:
    return ExceptionContinueSearch;
  }
}

// The thread information block through its self pointer at fs:0x18 (GCC 12
// misreads NtCurrentTeb's own access as out of bounds).
NT_TIB *ThreadBlock() {
  NT_TIB *block = nullptr;
  __asm__ volatile("movl %%fs:0x18, %0" : "=r"(block));
  return block;
}

} // namespace

int RunGuarded(GuardedMode mode, LPCSTR tail) {
  volatile GuardFrame frame = {};
  frame.record.Next = ThreadBlock()->ExceptionList;
  frame.record.Handler = OnFault;
  frame.tryLevel = -1;
  ThreadBlock()->ExceptionList =
      const_cast<EXCEPTION_REGISTRATION_RECORD *>(&frame.record);
  if (setjmp(faultResume) == 0) {
    const int result = CallGuardedMode(mode, tail);
    ThreadBlock()->ExceptionList = frame.record.Next;
    return result;
  }
  // Unlinked before the handler's own work, so that a fault in it goes to
  // the system instead of back here.
  ThreadBlock()->ExceptionList = frame.record.Next;
  return SetSaverRunning(0);
}

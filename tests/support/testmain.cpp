// Test entry point: runs a registered child when asked, GoogleTest otherwise.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>

#include "tests/support/testsupport.h"

namespace {

// A crash ends the test program at once, naming the case and the fault,
// instead of starting Wine's debugger, whose crash window would keep the
// test waiting until its timeout. The process ends with the exception's code.
LONG WINAPI EndOnCrash(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD& record = *info->ExceptionRecord;
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    std::fflush(stdout);
    std::fprintf(stderr, "CRASH in %s%s%s: exception 0x%08lx at %p\n", test ? test->test_suite_name() : "the program",
                 test ? "." : "", test ? test->name() : "", record.ExceptionCode, record.ExceptionAddress);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), record.ExceptionCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

int main(int argc, char** argv) {
    // Inherited by the programs a test starts, so that they, too, end
    // rather than wait for a debugger.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    SetUnhandledExceptionFilter(EndOnCrash);
    int exitCode = 0;
    if (RunChildIfAsked(argc, argv, exitCode)) return exitCode;
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

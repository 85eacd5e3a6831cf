// The Windows test program's entry: GoogleTest with COM initialised on the
// main thread, as the setup's own entry point does.
#include <gtest/gtest.h>

#include "platform/win32/win32.h"

#include <objbase.h>

int wmain(int argc, wchar_t** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  HRESULT com = CoInitialize(nullptr);
  int result = RUN_ALL_TESTS();
  if (com == S_OK) CoUninitialize();
  return result;
}

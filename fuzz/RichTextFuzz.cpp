// One fuzzing input: a formatted note's RTF text, read, written and read back. A refusal is a good
// answer; a crash, a sanitizer report or a broken rule of the reader is a fault.
#include "FuzzInputs.h"
#include "FuzzMain.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return FuzzMain::runOne(data, size, FuzzInputs::richText);
}

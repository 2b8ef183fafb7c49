// One fuzzing input: a server's answer, read in pieces as it arrives. A refusal is a good answer; a
// crash, a sanitizer report or a broken rule of the reader is a fault.
#include "FuzzInputs.h"
#include "FuzzMain.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return FuzzMain::runOne(data, size, FuzzInputs::httpResponse);
}

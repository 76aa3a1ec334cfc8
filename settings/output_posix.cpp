#include "output.h"

std::unique_ptr<TOutput> StandardOutput(std::FILE* stream) {
    return std::make_unique<TByteOutput>(stream);
}

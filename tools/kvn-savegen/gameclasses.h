#pragma once
// The classes of the units kvn-savegen writes, with the value type of every attribute as the game
// declares them in its own binary saves of 2025 (format version 3). The binary form of
// a generated save is its text encoded with these declarations.
#include "siicodec/encoder.h"

#include <vector>

namespace kvn::savegen {

const std::vector<siicodec::ClassDecl> &GameSiiClasses();

} // namespace kvn::savegen

// The forms an explanation can take, apart from explain.h so that naming one
// (the options do) needs nothing of the evaluation it explains.
#pragma once

#include <cstdint>

enum class ExplainFormat : std::uint8_t { text, json, dot, sql };

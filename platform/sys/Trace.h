// The trace sink: where the program's diagnostic lines go. Two producers
// feed it: OutputDebugStringA, the "debugger output" that lock waits write
// to, and KivTrace, the printf-style trace lines of the network layer.
//
// By default a line is written to stderr when the environment variable
// KIV_TRACE is set (to anything) and dropped otherwise, so a normal run is
// quiet and a field problem can be traced without rebuilding. Lines from
// different threads never interleave.
#pragma once

#include <functional>
#include <string>

// Hands text to the sink exactly as given.
void OutputDebugStringA(const char* text);

// Formats like printf and hands the result to the sink; no newline is added.
void KivTrace(const char* format, ...) __attribute__((format(printf, 1, 2)));

namespace kiv {

// Sends every line to sink instead of the default; an empty function
// restores the default. The sink is called with the sink's lock held, one
// line at a time, and must not trace itself.
void SetTraceSinkForTesting(std::function<void(const std::string&)> sink);

}  // namespace kiv

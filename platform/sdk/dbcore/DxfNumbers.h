#pragma once
// Reals as the drawing's text holds them.

namespace dxf {

// The shortest text that reads back as `value`, as std::to_chars writes it; `out` has room for
// 32 characters. Returns the end of the text.
char* formatShortest(char* out, double value);

} // namespace dxf

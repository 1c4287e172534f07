#pragma once

#include <QString>

#include <cstdio>

namespace Console {

// What the command-line tasks tell: one line, written out at once, so a
// script that reads both streams sees them in the order they were said.
void print(FILE* stream, const QString& text);

} // namespace Console

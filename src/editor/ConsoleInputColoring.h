#pragma once
class TSyntaxColoring;

// The colouring of the console's SQL input pane: keywords, functions and
// pragma names, strings and both comment forms.
void SetupConsoleInputColoring(TSyntaxColoring& coloring);

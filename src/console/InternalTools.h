#pragma once
// The side bar's internal tools: lists of the connected database's objects,
// its table definitions, its schema table and pragma values, and the
// environment. They print through the console's host and use its
// connection; failures are left to the caller.
#include <string>
#include <vector>

class TConsole;

// The tools' items as the side bar lists them; the index selects the tool.
const std::vector<std::string>& InternalToolNames();

// Runs tool index (0 ... 7); another index does nothing.
void RunInternalTool(TConsole& console, int index);

// The header of a name list: title, the count and ") ", padded with '-' to
// 40 characters and cut to 40.
std::string ToolHeader(const std::string& title, int count);

#pragma once
#include <string>

class TConsole;

// The import and export directives: "--$DBFI"/"--$DBFL" (DBF into a new
// table), "--$DBFE"/"--$DBFS" (a SELECT into a new DBF file), "--$XMLE"/
// "--$XMLS" and "--$HTME"/"--$HTMS" (a SELECT into an XML or HTML file),
// "--$CSVI" (a CSV file into a table), "--$CSVE" and "--$JSNE" (a SELECT
// into a CSV or JSON file).
// Each handler gets the whole directive line, directive word included.
void InstallExportImportDirectives(TConsole& console);

void RunXmlExport(TConsole& console, const std::string& line);
void RunHtmlExport(TConsole& console, const std::string& line);
void RunDbfExport(TConsole& console, const std::string& line);
void RunDbfImport(TConsole& console, const std::string& line);
void RunCsvImport(TConsole& console, const std::string& line);
void RunCsvExport(TConsole& console, const std::string& line);
void RunJsonExport(TConsole& console, const std::string& line);

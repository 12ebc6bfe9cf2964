#pragma once

// Reports of the statistics library. The library never throws: it passes a text
// that begins with one of the captions to the function held in ReportHandler
// and goes on with a corrected value.
namespace stats {

inline constexpr char kWarningCaption[] = "Brantlib Warning";
inline constexpr char kErrorCaption[] = "Brantlib Error";
inline constexpr char kFatalErrorCaption[] = "Brantlib Fatal Error";

using ReportHandlerFunction = void (*)(const char* text);

// Writes the text and a line feed to the standard error stream.
void DefaultReportHandler(const char* text);

// The handler every report goes to; DefaultReportHandler unless replaced.
extern ReportHandlerFunction ReportHandler;

// "<caption>:\n" followed by the format (cut to 200 characters) filled with the
// arguments, handed to ReportHandler.
void ReportWarning(const char* format, ...) __attribute__((format(printf, 1, 2)));
void ReportError(const char* format, ...) __attribute__((format(printf, 1, 2)));
void ReportFatalError(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace stats

// Text sample files of a run: the one-value-per-line ".sam" file and its
// comma-separated twin ".sae", the value texts they hold, and the reader of
// ".sam" headers.
//
// A run drives the writer like this:
//
//   SampleFileWriter& w = SampleOutput();
//   SampleFileSetup setup;  // name, lists, selection, column map, options, count
//   w.Open(setup);                        // both headers; once per simulation
//   for each accepted sample: w.WriteSample(inputs, outputs);
//   w.Close(lastSimulation);              // ".SAP" pairs, close, count correction
//   for (auto& m : w.TakeMessages()) ...  // add to the run's message
//
// In a series without separate sample files the files of the first
// simulation stay open and collect every simulation; Open of a later
// simulation only reactivates them and Close closes them after the last one.
//
// The values are formatted and written on two threads of the writer while
// the run goes on: WriteSample only copies the sample's written values. Close and Abandon
// wait until every sample taken is written, and so does every question about
// the files' state, so the files and messages are those of writing in place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tesmira/objects.h"
#include "text/value_text.h"

namespace tesmira {

// ---- file names -----------------------------------------------------------

// Inserts the simulation number before the extension of a name ("model.sam",
// 7 of 12 -> "model007.sam"): 3 digits below 1000 simulations, 4 below 10000,
// 5 otherwise.
std::string NumberedSampleFileName(std::string_view name, int simulation, int simulations);
// The name with its extension (the text from the last "." of the file part)
// replaced; a name without extension gets it appended.
std::string ReplaceExtension(std::string_view name, std::string_view extension);
// The ".tmp" fallback name: "model.sam" -> "model.tmp.sam".
std::string TmpFallbackName(std::string_view name);
// The file part of a path ("/a/b/model.sam" -> "model.sam"); accepts '/' and '\'.
std::string_view FilePart(std::string_view path);

// ---- writer ---------------------------------------------------------------

struct SampleFileSetup {
  // The ".sam" file name (full path); the ".sae" name is derived from it.
  std::string fileName;
  const TSampleList* inputs = nullptr;
  const TSampleList* outputs = nullptr;
  // Selection flags by sample-list position 1..(input count + output count)
  // (index 0 unused); nullptr selects every position.
  const uint8_t* selection = nullptr;
  // Column map: columnEntry[k] (k = 1..2000) is the sample-list position
  // (1-based over inputs then outputs) written in column k, 0 for none;
  // nullptr is the identity. See SampleColumnMap.
  const int32_t* columnEntry = nullptr;
  int32_t options = 3;           // run request option bits
  int32_t announcedSamples = 0;  // sample count written into the ".sam" header
  int32_t simulationIndex = 1;   // 1-based index in the series
  int32_t simulations = 1;       // number of simulations in the series
  bool separateFiles = true;     // each simulation its own (numbered) files
  bool zoziVor = false;
  // Uniform random numbers in [0,1) for the ".SAP" pairs; nullptr writes none.
  double (*uniform)() = nullptr;
};

class SampleFileWriter {
 public:
  SampleFileWriter();
  ~SampleFileWriter();
  SampleFileWriter(const SampleFileWriter&) = delete;
  SampleFileWriter& operator=(const SampleFileWriter&) = delete;

  // Creates both files and writes their headers (or, in a series without
  // separate files after its first simulation, reactivates the open files).
  // True when at least one file is open.
  bool Open(const SampleFileSetup& setup);
  // Writes the current values of the lists as one sample to the open files.
  void WriteSample(const TSampleList& inputs, const TSampleList& outputs);
  // The same from plain values by list position (0-based); the values are
  // copied before it returns.
  void WriteSample(const double* inputs, const double* outputs);
  // End of a simulation: writes the samples still pending, appends ".SAP"
  // pairs, closes the files that are complete and corrects the sample count
  // of the ".sam" file.
  void Close(bool lastSimulation);
  // Writes the samples still pending and closes everything without further
  // writing (an aborted run).
  void Abandon();

  bool IsOpen(int pass) const;  // 0 ".sam", 1 ".sae"
  const std::string& FileName(int pass) const;
  int64_t SamplesWritten(int pass) const;
  // Columns written per sample (after selection and mapping).
  int ColumnCount() const;
  // Texts for the run's message, in the order they arose; cleared here.
  std::vector<std::string> TakeMessages();

 private:
  bool OpenFiles(const SampleFileSetup& setup);
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The run's single writer.
SampleFileWriter& SampleOutput();

// ---- reading ---------------------------------------------------------------

// Reads a text file line by line (LF or CR LF), buffered.
class TextLineReader {
 public:
  TextLineReader() = default;
  ~TextLineReader();
  TextLineReader(const TextLineReader&) = delete;
  TextLineReader& operator=(const TextLineReader&) = delete;

  bool Open(const std::string& path);
  void Close();
  bool IsOpen() const { return file_ != nullptr; }
  // The next line without its line end; false at the end or on a read error.
  // The view stays valid until the next call.
  bool ReadLine(std::string_view& line);
  bool Failed() const { return failed_; }
  // True when no further line can be read.
  bool AtEnd();
  // Number of lines read so far.
  int64_t LineNumber() const { return lineNumber_; }

 private:
  bool Fill();
  std::FILE* file_ = nullptr;
  std::vector<char> buffer_;
  std::size_t begin_ = 0, end_ = 0;
  bool eof_ = false, failed_ = false;
  int64_t lineNumber_ = 0;
};

// Reads the header of a ".sam" file into the two lists. Returns the number of
// samples (a count of 0 reads as 1), 0 when the file cannot be opened (also
// under its bare file name), or minus the number of the first bad line. On
// success the reader stays open after the sample count line.
int32_t ReadSampleFileHeader(const std::string& fileName, TSampleList* inputs, TSampleList* outputs,
                             TextLineReader& reader);

}  // namespace tesmira

#include "files/sample_files.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <climits>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>

#include "files/buffered_file.h"
#include "model/export_guard.h"
#include "model/short_string.h"
#include "model/sim_blocks.h"

namespace tesmira {

// ---- file names -----------------------------------------------------------------

std::string_view FilePart(std::string_view path) {
  std::size_t slash = path.find_last_of("/\\");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

namespace {

// Position of the extension's "." in a path, npos when the file part has none.
std::size_t ExtensionDot(std::string_view name) {
  std::size_t start = name.size() - FilePart(name).size();
  std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot < start) return std::string_view::npos;
  return dot;
}

bool EndsWithNoCase(std::string_view text, std::string_view tail) {
  if (text.size() < tail.size()) return false;
  return SameName(text.substr(text.size() - tail.size()), tail);
}

}  // namespace

std::string ReplaceExtension(std::string_view name, std::string_view extension) {
  std::size_t dot = ExtensionDot(name);
  std::string out(name.substr(0, dot == std::string_view::npos ? name.size() : dot));
  out += extension;
  return out;
}

std::string TmpFallbackName(std::string_view name) {
  std::size_t dot = ExtensionDot(name);
  if (dot == std::string_view::npos) return std::string(name) + ".tmp";
  return std::string(name.substr(0, dot)) + ".tmp" + std::string(name.substr(dot));
}

std::string NumberedSampleFileName(std::string_view name, int simulation, int simulations) {
  int digits = simulations < 1000 ? 3 : (simulations < 10000 ? 4 : 5);
  std::string number = std::to_string(simulation < 0 ? 0 : simulation);
  if (static_cast<int>(number.size()) < digits)
    number.insert(number.begin(), static_cast<std::size_t>(digits) - number.size(), '0');
  std::size_t dot = ExtensionDot(name);
  if (dot == std::string_view::npos) return std::string(name) + number;
  return std::string(name.substr(0, dot)) + number + std::string(name.substr(dot));
}

// ---- writer ------------------------------------------------------------------------

namespace {

constexpr std::string_view kRemarks[14] = {
    "; Remarks for those who are going to update this file",
    "; with output variables for further postprocessing by",
    "; the TESMIRA program:",
    "; 1. Put a proper number into the `Number of output ",
    ";    variables` line below",
    "; 2. After that line insert a list of the output variable",
    ";    names (similar to the input variable names list);",
    ";    names must not exceed 10 characters",
    "; 3. If you have, for example, 5 input and 3 output ",
    ";    variables in your model, insert 3 data lines",
    ";    corresponding your output variables AFTER EVERY 5th line",
    ";    of the input data. This should be repeated N times, ",
    ";    where N is `Number of samples per variable` (see below)",
    ";    "};

constexpr std::string_view kCountTail = "    ;* Number of samples per variable";

struct Column {
  bool output;
  int index;  // 1-based entry of its list
};

struct PassFile {
  BufferedFile file;
  std::string name;
  bool open = false;
  int64_t written = 0;
  int64_t countOffset = -1;  // byte offset of the sample count in ".sam"
  int countDigits = 0;
  int32_t announced = 0;
};

// The columns of a run's sample files and what the selection holds.
struct ColumnPlan {
  std::vector<Column> columns;
  int selectedInputs = 0, selectedOutputs = 0;
  int inputColumns = 0;  // the first columns, the inputs
};

// Selected positions mapped through the column map, or, with option 4 and a
// map, the objects in the order of the map.
ColumnPlan PlanColumns(const SampleFileSetup& s, int inCount, int outCount) {
  ColumnPlan plan;
  const bool bit1 = s.options & 1, bit2 = s.options & 2, bit4 = s.options & 4;
  const bool inputsOnly = bit1 && !bit2;
  auto selected = [&](int j) { return s.selection == nullptr || s.selection[j] != 0; };
  auto entry = [&](int k) -> int {
    if (k < 1 || k > MaxSampleColumns) return 0;
    return s.columnEntry ? s.columnEntry[k] : k;
  };
  int k = 0;
  int last = inputsOnly ? inCount : inCount + outCount;
  const bool objectOrder = bit4 && s.columnEntry != nullptr;
  for (int j = 1; j <= last; ++j) {
    if (!selected(j)) continue;
    if (j > inCount) {
      ++plan.selectedOutputs;
    } else {
      ++plan.selectedInputs;
    }
    if (objectOrder) continue;
    if (j > inCount && k < inCount && (!bit1 || bit4) && bit2) k = inCount + (s.zoziVor ? 1 : 0);
    ++k;
    int e = entry(k);
    if (e >= 1 && e <= inCount) {
      plan.columns.push_back({false, e});
    } else if (e > inCount && e <= inCount + outCount) {
      plan.columns.push_back({true, e - inCount});
    } else {
      continue;  // no entry for this column
    }
    if (j <= inCount) ++plan.inputColumns;
  }
  if (objectOrder) {
    // Selected samples: the objects in the order of the list, each at its own
    // list position, the variables before the formulas. (Counting the
    // selected positions and jumping to the outputs would lose the selected
    // formulas whenever not every variable is selected.)
    std::vector<Column> outColumns;
    for (int c = 1; c <= MaxSampleColumns; ++c) {
      int e = s.columnEntry[c];
      if (e < 1 || e > inCount + outCount || !selected(e)) continue;
      if (e <= inCount) {
        plan.columns.push_back({false, e});
        ++plan.inputColumns;
      } else if (!inputsOnly) {
        outColumns.push_back({true, e - inCount});
      }
    }
    plan.columns.insert(plan.columns.end(), outColumns.begin(), outColumns.end());
  }
  return plan;
}

}  // namespace

// Samples on their way to the files: the written columns' values, sample
// after sample, and their texts once formatted. Blocks are numbered in the
// order the run fills them.
struct SampleBlock {
  std::vector<double> values;
  std::vector<char> texts;  // kSampleValueWidth characters a value
  std::size_t samples = 0;
  uint64_t number = 0;
};

// 32768 values a block (about 600 KB with their texts), and few blocks, so
// that the samples in flight take under 4 MB whatever the number of columns.
// Smaller blocks cost the run more: each one queued wakes a formatting
// thread, a system call that on virtual machines slowed sampling by a tenth
// at 8192 values a block. Two threads format blocks side by side: one alone
// formats more slowly than the run samples.
constexpr std::size_t kBlockValues = 32768;
constexpr std::size_t kFormatters = 2;
constexpr std::size_t kBlocks = kFormatters + 4;

// Consecutive positions of one list, copied together into a block.
struct ColumnSpan {
  bool output;
  int first;  // 0-based position in its list
  int count;
};

struct SampleFileWriter::Impl {
  PassFile pass[2];
  std::vector<Column> columns;
  std::vector<std::string> messages;
  std::string requestName;
  bool separate = true;
  int simulations = 1;
  double (*uniform)() = nullptr;

  void CloseFile(int p, bool correctCount);
  bool CreateFile(int p, const std::string& name);
  void WriteFailed(int p) {
    if (!pass[p].open) return;
    pass[p].file.Close();
    pass[p].open = false;
    messages.push_back("Failed to write sample file " + pass[p].name);
  }
  void CorrectCount(int p);
  // The headers: ".sam" with the name lists and the sample count, ".sae"
  // with one line of names.
  void WriteSamHeader(const std::vector<std::string_view>& names, int inputColumns, bool remarks,
                      int32_t announced);
  void WriteSaeHeader(const std::vector<std::string_view>& names);

  // ---- writing alongside the run ----
  //
  // The caller copies each sample's written values into the block it fills
  // and queues the block when full. The formatting threads take blocks from
  // the queue in order, format their values (touching nothing but the
  // block) and then, strictly in block order, write the texts to the files
  // (WriteBlock). Writing is the only use of the files and the messages
  // while the threads run, and one block is written at a time: a thread
  // waits under the mutex until the blocks before its own are written. The
  // caller uses the files again only after Drain, which waits under the
  // mutex until every queued block is written. Anything else the threads
  // read (the column count) is fixed before they start.
  void Start();
  void Submit();
  void Drain();
  // Drains, ends the threads and returns what they threw, if anything.
  std::exception_ptr Finish();
  void Work();
  void FormatBlock(SampleBlock& block) const;
  void WriteBlock(const SampleBlock& block);
  // One sample's value texts (in column order) to the open files.
  void WriteSampleTexts(const char* texts);

  std::vector<ColumnSpan> spans;   // the columns as runs of list positions
  std::size_t width = 0;           // values a sample
  std::size_t blockSamples = 1;    // samples a block
  bool accepting = false;          // the caller takes samples (files open at Start)
  SampleBlock* filling = nullptr;  // the caller's block
  uint64_t submitted = 0;          // under mutex: blocks queued
  std::vector<std::unique_ptr<SampleBlock>> blocks;

  // None running: blocks are formatted and written on the caller's thread.
  std::vector<std::thread> formatters;
  std::mutex mutex;
  std::condition_variable queued;   // for the formatters: a block to format, or the end
  std::condition_variable written;  // a block written: the next one's turn, a spare block
  // Under mutex: the queue, block n in slot n % kBlocks; blocks taken
  // from it, as numbered so far.
  std::array<SampleBlock*, kBlocks> queue{};
  uint64_t taken = 0;
  std::vector<SampleBlock*> spare;  // under mutex
  uint64_t writtenBlocks = 0;       // under mutex: blocks written, in order
  bool ending = false;              // under mutex: the formatters end when the queue is empty
  std::exception_ptr failure;       // under mutex
};

void SampleFileWriter::Impl::FormatBlock(SampleBlock& block) const {
  const std::size_t n = block.samples * width;
  for (std::size_t k = 0; k < n; ++k)
    FormatSampleValue(block.values[k], block.texts.data() + k * kSampleValueWidth);
}

void SampleFileWriter::Impl::WriteSampleTexts(const char* texts) {
  constexpr std::size_t w = kSampleValueWidth;
  const std::size_t n = width;
  if (pass[0].open) {
    // One value a line.
    char* out = pass[0].file.Reserve(n * (w + 2));
    for (std::size_t c = 0; c < n; ++c) {
      std::memcpy(out, texts + c * w, w);
      out[w] = '\r';
      out[w + 1] = '\n';
      out += w + 2;
    }
    if (pass[0].file.Commit(out))
      ++pass[0].written;
    else
      WriteFailed(0);
  }
  if (pass[1].open) {
    // One sample a line.
    char* out = pass[1].file.Reserve(n * (w + 2) + 2);
    for (std::size_t c = 0; c < n; ++c) {
      if (c) {
        *out++ = ',';
        *out++ = ' ';
      }
      std::memcpy(out, texts + c * w, w);
      out += w;
    }
    *out++ = '\r';
    *out++ = '\n';
    if (pass[1].file.Commit(out))
      ++pass[1].written;
    else
      WriteFailed(1);
  }
}

void SampleFileWriter::Impl::WriteBlock(const SampleBlock& block) {
  const std::size_t stride = width * kSampleValueWidth;
  for (std::size_t s = 0; s < block.samples; ++s) {
    if (!pass[0].open && !pass[1].open) return;
    WriteSampleTexts(block.texts.data() + s * stride);
  }
}

void SampleFileWriter::Impl::Start() {
  accepting = false;
  if (!pass[0].open && !pass[1].open) return;
  spans.clear();
  for (const Column& c : columns) {
    ColumnSpan* last = spans.empty() ? nullptr : &spans.back();
    if (last && last->output == c.output && last->first + last->count == c.index - 1)
      ++last->count;
    else
      spans.push_back({c.output, c.index - 1, 1});
  }
  width = columns.size();
  blockSamples = std::max<std::size_t>(1, kBlockValues / std::max<std::size_t>(width, 1));
  blocks.resize(kBlocks);
  spare.clear();
  spare.reserve(kBlocks);
  for (auto& b : blocks) {
    if (!b) b = std::make_unique<SampleBlock>();
    b->values.resize(blockSamples * width);
    b->texts.resize(blockSamples * width * kSampleValueWidth);
    b->samples = 0;
    spare.push_back(b.get());
  }
  filling = spare.back();
  spare.pop_back();
  submitted = taken = writtenBlocks = 0;
  ending = false;
  failure = nullptr;
  formatters.reserve(kFormatters);
  try {
    while (formatters.size() < kFormatters) formatters.emplace_back([this] { Work(); });
  } catch (const std::system_error&) {
    // Fewer threads to be had: those running do the work, or, with none,
    // the caller formats each block as it fills.
  }
  accepting = true;
}

void SampleFileWriter::Impl::Work() {
  std::unique_lock<std::mutex> lock(mutex);
  for (;;) {
    queued.wait(lock, [this] { return ending || taken < submitted; });
    if (taken == submitted) return;
    SampleBlock* block = queue[taken++ % kBlocks];
    lock.unlock();
    // Nothing escapes the thread: what is thrown ends the run in the caller
    // (Close), and the block still takes its turn so that no thread waits
    // for it for ever.
    std::exception_ptr thrown;
    try {
      FormatBlock(*block);
    } catch (...) {
      thrown = std::current_exception();
    }
    lock.lock();
    // The blocks before this one are written first.
    written.wait(lock, [&] { return writtenBlocks == block->number; });
    lock.unlock();
    try {
      if (!thrown) WriteBlock(*block);
    } catch (...) {
      thrown = std::current_exception();
    }
    lock.lock();
    if (thrown && !failure) failure = thrown;
    ++writtenBlocks;
    block->samples = 0;
    spare.push_back(block);
    written.notify_all();
  }
}

void SampleFileWriter::Impl::Submit() {
  if (filling == nullptr || filling->samples == 0) return;
  if (formatters.empty()) {
    FormatBlock(*filling);
    WriteBlock(*filling);
    filling->samples = 0;
    return;
  }
  std::unique_lock<std::mutex> lock(mutex);
  filling->number = submitted;
  queue[submitted++ % kBlocks] = filling;
  filling = nullptr;
  queued.notify_one();
  written.wait(lock, [this] { return !spare.empty(); });
  filling = spare.back();
  spare.pop_back();
}

void SampleFileWriter::Impl::Drain() {
  if (!accepting) return;
  Submit();
  if (formatters.empty()) return;
  std::unique_lock<std::mutex> lock(mutex);
  written.wait(lock, [this] { return writtenBlocks == submitted; });
}

std::exception_ptr SampleFileWriter::Impl::Finish() {
  if (!accepting) return nullptr;
  std::exception_ptr thrown;
  try {
    Drain();
  } catch (...) {
    thrown = std::current_exception();
  }
  if (!formatters.empty()) {
    {
      std::lock_guard<std::mutex> lock(mutex);
      ending = true;
      if (failure && !thrown) thrown = failure;
      failure = nullptr;
    }
    queued.notify_all();
    for (std::thread& t : formatters) t.join();
    formatters.clear();
  }
  accepting = false;
  return thrown;
}

SampleFileWriter::SampleFileWriter() : impl_(std::make_unique<Impl>()) {}
SampleFileWriter::~SampleFileWriter() { Abandon(); }

SampleFileWriter& SampleOutput() {
  static SampleFileWriter writer;
  return writer;
}

bool SampleFileWriter::Impl::CreateFile(int p, const std::string& name) {
  PassFile& f = pass[p];
  f.name = name;
  f.written = 0;
  f.countOffset = -1;
  int err = f.file.Replace(name);
  if (err == EACCES || err == EPERM || err == EROFS || err == ETXTBSY || err == EBUSY) {
    std::string alt = TmpFallbackName(name);
    messages.push_back("Sample file " + std::string(FilePart(name)) + " is write-protected, " +
                       std::string(FilePart(alt)) + " is used instead");
    f.name = alt;
    err = f.file.Replace(alt);
  }
  if (err != 0) {
    messages.push_back("Failed to create sample file " + f.name);
    return false;
  }
  return true;
}

void SampleFileWriter::Impl::WriteSamHeader(const std::vector<std::string_view>& names,
                                            int inputColumns, bool remarks, int32_t announced) {
  PassFile& f = pass[0];
  const int outputColumns = static_cast<int>(names.size()) - inputColumns;
  std::string h;
  if (remarks)
    for (std::string_view r : kRemarks) (h += r) += "\r\n";
  h += std::to_string(inputColumns) + "  ; Number of input variables";
  if (inputColumns != 0) h += " (array of names goes next)";
  h += "\r\n";
  for (int c = 0; c < inputColumns; ++c) (h += names[c]) += "\r\n";
  h += std::to_string(outputColumns) + "  ; Number of output variables";
  if (outputColumns != 0) h += " (array of names goes next)";
  h += "\r\n";
  for (std::size_t c = inputColumns; c < names.size(); ++c) (h += names[c]) += "\r\n";
  f.countOffset = static_cast<int64_t>(h.size());
  std::string count = std::to_string(announced);
  f.countDigits = static_cast<int>(count.size());
  f.announced = announced;
  h += count;
  h += kCountTail;
  h += "\r\n";
  f.open = true;
  if (!f.file.Write(h.data(), h.size())) WriteFailed(0);
}

void SampleFileWriter::Impl::WriteSaeHeader(const std::vector<std::string_view>& names) {
  PassFile& f = pass[1];
  std::string h;
  for (std::size_t c = 0; c < names.size(); ++c) {
    if (c) h += ", ";
    h += names[c];
  }
  h += "\r\n";
  f.open = true;
  if (!f.file.Write(h.data(), h.size())) WriteFailed(1);
}

bool SampleFileWriter::Open(const SampleFileSetup& s) {
  Impl& m = *impl_;
  m.Finish();  // a writer opened again without Close: what it took is written first
  bool any = OpenFiles(s);
  m.Start();
  return any;
}

bool SampleFileWriter::OpenFiles(const SampleFileSetup& s) {
  Impl& m = *impl_;
  static const TSampleList kEmpty{};
  const TSampleList& in = s.inputs ? *s.inputs : kEmpty;
  const TSampleList& out = s.outputs ? *s.outputs : kEmpty;
  int inCount = std::clamp<int>(in.count, 0, MaxSampleListEntries);
  int outCount = std::clamp<int>(out.count, 0, MaxSampleListEntries);
  ColumnPlan plan = PlanColumns(s, inCount, outCount);
  m.columns = std::move(plan.columns);

  bool continuing = !s.separateFiles && s.simulations > 1 && s.simulationIndex > 1;
  if (!continuing) {
    for (int p = 0; p < 2; ++p)
      if (m.pass[p].open) m.CloseFile(p, true);
  }
  m.separate = s.separateFiles;
  m.simulations = s.simulations;
  m.uniform = s.uniform;
  m.requestName = s.fileName;
  if ((plan.selectedInputs == 0 && plan.selectedOutputs == 0) || s.options == 0 ||
      (s.options & 8)) {
    m.columns.clear();
    return false;
  }
  if (continuing) return m.pass[0].open || m.pass[1].open;

  std::string samName = s.fileName;
  if (s.simulations > 1 && s.separateFiles)
    samName = NumberedSampleFileName(samName, s.simulationIndex, s.simulations);
  std::string saeName = ReplaceExtension(samName, ".sae");
  if (EndsWithNoCase(samName, ".sae")) samName = ReplaceExtension(samName, ".sam");

  std::vector<std::string_view> names;
  names.reserve(m.columns.size());
  for (const Column& c : m.columns) {
    const TSampleListEntry& e = c.output ? out.entries[c.index - 1] : in.entries[c.index - 1];
    names.push_back(ShortStringView(e.name));
  }
  if (m.CreateFile(0, samName))
    m.WriteSamHeader(names, plan.inputColumns, outCount == 0 || plan.selectedOutputs == 0,
                     s.announcedSamples);
  if (m.CreateFile(1, saeName)) m.WriteSaeHeader(names);
  return m.pass[0].open || m.pass[1].open;
}

void SampleFileWriter::WriteSample(const TSampleList& inputs, const TSampleList& outputs) {
  if (!impl_->accepting) return;
  double in[MaxSampleListEntries] = {}, out[MaxSampleListEntries] = {};
  int nin = std::clamp<int>(inputs.count, 0, MaxSampleListEntries);
  int nout = std::clamp<int>(outputs.count, 0, MaxSampleListEntries);
  for (int k = 0; k < nin; ++k) in[k] = DecodeExtended(inputs.entries[k].value);
  for (int k = 0; k < nout; ++k) out[k] = DecodeExtended(outputs.entries[k].value);
  WriteSample(in, out);
}

void SampleFileWriter::WriteSample(const double* inputs, const double* outputs) {
  Impl& m = *impl_;
  if (!m.accepting) return;
  double* to = m.filling->values.data() + m.filling->samples * m.width;
  for (const ColumnSpan& span : m.spans) {
    const double* from = (span.output ? outputs : inputs) + span.first;
    std::memcpy(to, from, static_cast<std::size_t>(span.count) * sizeof(double));
    to += span.count;
  }
  if (++m.filling->samples == m.blockSamples) m.Submit();
}

void SampleFileWriter::Impl::CorrectCount(int p) {
  PassFile& f = pass[p];
  if (f.countOffset < 0 || f.written == f.announced) return;
  std::string text = std::to_string(f.written);
  int fieldWidth = f.countDigits + 4;  // the digits and the four blanks before ";*"
  bool ok;
  // At least one blank stays before ";*": a count run into it ("12345;*")
  // would no longer read as a number.
  if (static_cast<int>(text.size()) < fieldWidth) {
    if (static_cast<int>(text.size()) < f.countDigits)
      text.append(static_cast<std::size_t>(f.countDigits) - text.size(), ' ');
    ok = OverwriteFileBytes(f.name, f.countOffset, text);
  } else {
    ok = ReplaceFileBytes(f.name, f.countOffset, static_cast<std::size_t>(fieldWidth),
                          text + "    ");
  }
  if (!ok) messages.push_back("Failed to correct the sample count of sample file " + f.name);
}

void SampleFileWriter::Impl::CloseFile(int p, bool correctCount) {
  PassFile& f = pass[p];
  if (!f.open) return;
  bool ok = f.file.Close();
  f.open = false;
  if (!ok) {
    messages.push_back("Failed to write sample file " + f.name);
    return;
  }
  if (correctCount && p == 0) CorrectCount(p);
}

void SampleFileWriter::Close(bool lastSimulation) {
  Impl& m = *impl_;
  // Every sample taken is written before anything else happens to the files.
  if (std::exception_ptr thrown = m.Finish()) std::rethrow_exception(thrown);
  PassFile& s = m.pass[0];
  if (s.open && m.requestName.find(".SAP") != std::string::npos && m.uniform && s.announced > 0) {
    double inv = 1.0 / s.announced;
    for (int32_t i = 0; i < s.announced / 2 && s.open; ++i) {
      float u = static_cast<float>(m.uniform() / s.announced);
      float w = static_cast<float>(inv - u);
      char text[2 * (kSampleValueWidth + 2)];
      char* q = FormatSampleValueShort(u, text);
      *q++ = '\r';
      *q++ = '\n';
      q = FormatSampleValueShort(w, q);
      *q++ = '\r';
      *q++ = '\n';
      if (!s.file.Write(text, static_cast<std::size_t>(q - text))) m.WriteFailed(0);
    }
  }
  bool complete = m.separate || m.simulations <= 1 || lastSimulation;
  if (!complete) return;
  for (int p = 0; p < 2; ++p) m.CloseFile(p, true);
}

void SampleFileWriter::Abandon() {
  impl_->Finish();  // what the run wrote stays written; a failure no longer matters
  for (PassFile& f : impl_->pass) {
    if (f.open) f.file.Close();
    f.open = false;
  }
}

bool SampleFileWriter::IsOpen(int pass) const {
  impl_->Drain();
  return (pass == 0 || pass == 1) && impl_->pass[pass].open;
}
const std::string& SampleFileWriter::FileName(int pass) const {
  impl_->Drain();
  return impl_->pass[pass == 1 ? 1 : 0].name;
}
int64_t SampleFileWriter::SamplesWritten(int pass) const {
  impl_->Drain();
  return impl_->pass[pass == 1 ? 1 : 0].written;
}
int SampleFileWriter::ColumnCount() const { return static_cast<int>(impl_->columns.size()); }

std::vector<std::string> SampleFileWriter::TakeMessages() {
  impl_->Drain();
  std::vector<std::string> out;
  out.swap(impl_->messages);
  return out;
}

// ---- reading --------------------------------------------------------------------------

TextLineReader::~TextLineReader() { Close(); }

bool TextLineReader::Open(const std::string& path) {
  Close();
  file_ = std::fopen(path.c_str(), "rb");
  if (!file_) return false;
  buffer_.resize(1 << 16);
  begin_ = end_ = 0;
  eof_ = failed_ = false;
  lineNumber_ = 0;
  return true;
}

void TextLineReader::Close() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
}

bool TextLineReader::Fill() {
  if (!file_ || eof_ || failed_) return false;
  if (begin_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  if (end_ == buffer_.size()) buffer_.resize(buffer_.size() * 2);
  std::size_t got = std::fread(buffer_.data() + end_, 1, buffer_.size() - end_, file_);
  if (got == 0) {
    if (std::ferror(file_))
      failed_ = true;
    else
      eof_ = true;
    return false;
  }
  end_ += got;
  return true;
}

bool TextLineReader::AtEnd() {
  if (begin_ < end_) return false;
  Fill();
  return begin_ >= end_;
}

bool TextLineReader::ReadLine(std::string_view& line) {
  if (!file_ || failed_) return false;
  std::size_t scanned = 0;
  for (;;) {
    const char* start = buffer_.data() + begin_;
    std::size_t avail = end_ - begin_;
    const void* nl = std::memchr(start + scanned, '\n', avail - scanned);
    std::size_t len;
    if (nl) {
      len = static_cast<std::size_t>(static_cast<const char*>(nl) - start);
      begin_ += len + 1;
    } else if (eof_) {
      if (avail == 0) return false;
      len = avail;
      begin_ = end_;
    } else {
      scanned = avail;
      if (!Fill() && failed_) return false;
      continue;
    }
    if (len > 0 && start[len - 1] == '\r') --len;
    line = std::string_view(start, len);
    ++lineNumber_;
    return true;
  }
}

namespace {

std::string_view TrimLeft(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  return s.substr(i);
}

std::string_view Trim(std::string_view s) {
  s = TrimLeft(s);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// The integer of a count word: the whole word, or the digits before a single
// stray character at the word's 2nd or 5th position ("5;", "1000;").
bool CountWord(std::string_view line, int64_t& value) {
  std::string_view word = line.substr(0, line.find(' '));
  if (word.size() > 12 || word.empty()) return false;
  std::size_t start = (word[0] == '+' || word[0] == '-') ? 1 : 0;
  std::size_t i = start;
  while (i < word.size() && word[i] >= '0' && word[i] <= '9') ++i;
  if (i == start) return false;
  if (i < word.size() && i + 1 != 2 && i + 1 != 5) return false;
  std::string_view digits = word.substr(start, i - start);
  int64_t v = 0;
  auto r = std::from_chars(digits.data(), digits.data() + digits.size(), v);
  if (r.ec != std::errc()) return false;
  value = word[0] == '-' ? -v : v;
  return true;
}

}  // namespace

int32_t ReadSampleFileHeader(const std::string& fileName, TSampleList* inputs, TSampleList* outputs,
                             TextLineReader& reader) {
  if (!reader.Open(fileName)) {
    std::string slashed = fileName;  // a path written with backslashes
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    std::string other = FindFileNoCase(slashed);  // the name in another case
    std::string bare(FilePart(fileName));
    if ((other.empty() || !reader.Open(other)) &&
        (bare.empty() || bare == fileName || !reader.Open(bare)))
      return 0;
  }
  auto bad = [&](int64_t line) { return static_cast<int32_t>(-std::max<int64_t>(line, 1)); };
  TSampleList* lists[2] = {inputs, outputs};
  std::string_view line;
  for (TSampleList* list : lists) {
    if (list) ClearSampleList(*list);
    // The count line, after blank lines and comments.
    // (A line at the very end of the file fails too, comment or not.)
    for (;;) {
      if (!reader.ReadLine(line)) return bad(reader.LineNumber() + 1);
      if (line.size() > 256 || reader.AtEnd()) return bad(reader.LineNumber());
      line = TrimLeft(line);
      if (line.empty() || line[0] == ';') continue;
      break;
    }
    int64_t count = 0;
    int64_t countLine = reader.LineNumber();
    if (!CountWord(line, count) || count < 0 || count > MaxSampleListEntries) return bad(countLine);
    if (list) list->count = static_cast<int16_t>(count);
    for (int64_t i = 0; i < count; ++i) {
      if (!reader.ReadLine(line)) return bad(reader.LineNumber() + 1);
      std::string_view name = Trim(line);
      if (name.empty()) return bad(reader.LineNumber());
      if (list) SetShortString(list->entries[i].name, name);  // cut to 32 characters
    }
  }
  if (!reader.ReadLine(line)) return bad(reader.LineNumber() + 1);
  int64_t samples = 0;
  if (line.size() > 256 || !CountWord(TrimLeft(line), samples) || samples < 0 ||
      samples > INT32_MAX)
    return bad(reader.LineNumber());
  return samples == 0 ? 1 : static_cast<int32_t>(samples);
}

}  // namespace tesmira

TESMIRA_API int32_t LoadSampleFileHeader(const char* fileName, TSampleList* inputs,
                                         TSampleList* outputs) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    tesmira::TextLineReader reader;
    return tesmira::ReadSampleFileHeader(fileName ? fileName : "", inputs, outputs, reader);
  });
}

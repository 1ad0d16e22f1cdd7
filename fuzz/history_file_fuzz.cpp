// Any file handed to the history reader: read as an export file (charset
// detection, decoding, entry lines, shown control sequences and what they
// show, the game's glyphs, sender fields) and as a chunk file (raw control
// sequences, those cut by the end of an entry among them), printed as text
// and as JSON through a filter, and read in small pieces formatted on other
// threads. The seeds game-text-* hold the sequences and glyphs that show
// text, in both forms.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "history/history_reader.h"

using namespace tellwick;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::u16string path = fuzz::scratch_folder() + u"2014.03.05.2107.log";
  fuzz::write_scratch_file(path, data, size);
  for (HistoryFormat format : {HistoryFormat::kText, HistoryFormat::kJson}) {
    HistoryPrinter printer;
    printer.format = format;
    printer.sinks.history = [](std::string_view) {};
    printer.sinks.message = [](std::string_view) {};
    if (format == HistoryFormat::kJson) {
      // A filter that looks at every field of what passes the channel test.
      printer.filter.all_channels = false;
      printer.filter.channels.set(0x0A);
      printer.filter.channels.set(0x39);
      printer.filter.sender = "a";
      printer.filter.text = "[02";
    }
    read_export_file(printer, path);
    read_chunk_bytes(printer, "chunk", data, size);
    flush_history(printer);

    // In small pieces, which without a search are formatted on other
    // threads straight from their bytes, filtered by time alone.
    HistoryPrinter parted;
    parted.format = format;
    parted.sinks.history = [](std::string_view) {};
    parted.sinks.message = [](std::string_view) {};
    if (format == HistoryFormat::kJson) parted.filter.since = 0x53170000;
    read_export_bytes(parted, "parted.log", data, size, 64);
    flush_history(parted);
  }
  return 0;
}

// Files and folders. Paths are UTF-16 and zero-terminated; the POSIX build
// reads a "\" in them as "/", and U+DC80..U+DCFF as the bytes of a name that
// were not UTF-8 (platform/path.h); names it lists come the same way. Where a call fails (false, or kNoFile) because
// a system call did, last_system_error() (platform/system_error.h) then
// holds the system's reason.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tellwick {

// A Windows HANDLE or a POSIX descriptor; both use -1 for "none".
using FileHandle = std::intptr_t;
constexpr FileHandle kNoFile = -1;

// A file's last-write time as a Windows file time: 100-nanosecond intervals
// since 1601-01-01 00:00 UTC, on both systems, so stored values agree.
using FileTime = std::uint64_t;

// Creates or truncates a file for writing that nobody else may open while it
// is held (on POSIX, other processes are not kept out).
FileHandle create_output_file(const char16_t* path);
// Creates a temporary file for writing only when nothing exists under its
// name: never an existing file, and never through a link. Held as
// create_output_file holds, and so that remove_unheld_file in another
// process leaves it alone (on POSIX an advisory lock, where the file system
// has locks); install_ending_handler (platform/interrupt.h) removes it if the
// process is ended while it is open. Close it with close_file_into_place or
// close_and_delete_file.
FileHandle create_new_output_file(const char16_t* path);
// Removes the file under `path` unless some process holds it as
// create_new_output_file holds its files: a temporary file left by an export
// that was killed. On POSIX only a regular file whose lock can be taken, so
// nothing on a file system without locks; on Windows whatever DeleteFileW
// may remove. False when nothing was removed.
bool remove_unheld_file(const char16_t* path);
// Puts the file made by create_new_output_file under `from` in place of `to`
// (replacing it) and closes it. False when it could not be renamed (it is
// then removed) or, on POSIX, not closed cleanly after the rename.
bool close_file_into_place(FileHandle file, const char16_t* from, const char16_t* to);
// Removes the file made by create_new_output_file under `path` and closes it.
bool close_and_delete_file(FileHandle file, const char16_t* path);
// Writes all of `size` bytes; false when the system wrote fewer.
bool write_file(FileHandle file, const void* data, std::size_t size);
// False when the system reports that buffered data could not be stored.
bool close_file(FileHandle file);

// The last-write time, taken without asking for any access right and sharing
// reading and writing, so it works while the game holds the file open.
// False, with the time 0, when the file cannot be opened.
bool file_write_time(const char16_t* path, FileTime& time);

// Sets the last-write time, to 100 ns where the file system keeps that much.
// Tools that lay out chunk series need it; the program itself never does.
bool set_file_write_time(const char16_t* path, FileTime time);

bool is_directory(const char16_t* path);

// Whether another process holds the file open for writing now, so that a
// read of it would fail (the game still writing a chunk file). False when
// it is not held, cannot be opened, or the system cannot tell.
bool file_held_for_writing(const char16_t* path);

// A whole file in memory, followed by one zero byte that is not counted.
struct FileContents {
  std::unique_ptr<std::uint8_t[]> data;
  std::size_t size = 0;
};

// Reads a whole file, sharing it for reading only: fails while another
// process holds the file open for writing (the game still writing a chunk).
// On failure `contents` holds no buffer and the size 0.
bool read_whole_file(const char16_t* path, FileContents& contents);

// read_whole_file for a file that counts only when it was last written at or
// after `not_before` (a chunk file of the current series), with one opening
// of the file for both: `time` receives its write time as file_write_time
// gives it (0 when it has none), and the file is read only when it is not
// older. False, with no contents, when it is older or cannot be read.
bool read_whole_file_not_older(const char16_t* path, FileTime not_before, FileContents& contents, FileTime& time);

// Reads up to `capacity` bytes from the start of a file, sharing it for
// reading and writing; `size` receives how many were read. False when the
// file cannot be opened or read.
bool read_file_start(const char16_t* path, std::uint8_t* buffer, std::size_t capacity, std::size_t& size);

// Opens a regular file for reading in pieces, shared as read_whole_file
// shares it; kNoFile when it cannot be opened or is no regular file (a
// folder, a FIFO). Closed with close_file.
FileHandle open_input_file(const char16_t* path);

// Reads up to `capacity` bytes from `offset`; fewer only at the end of the
// file. `size` receives how many were read.
bool read_file_at(FileHandle file, std::uint64_t offset, std::uint8_t* buffer, std::size_t capacity,
                  std::size_t& size);

struct DirectoryEntry {
  std::u16string name;
  bool is_directory = false;
};

// The entries of a folder in the order the system lists them, "." and ".."
// included where the system lists them. False when the folder cannot be listed.
bool list_directory(const char16_t* folder, std::vector<DirectoryEntry>& entries);

// Creates one folder level; false when it could not be created (also when it exists).
bool create_directory(const char16_t* path);
bool delete_file(const char16_t* path);
// Puts `from` in place of `to` in one step, replacing an existing `to`.
bool replace_file(const char16_t* from, const char16_t* to);

// The user's Documents folder without a final separator; false when there is none.
bool documents_folder(std::u16string& path);

}  // namespace tellwick

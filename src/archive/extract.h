#pragma once
// Unpacks a 7z archive into a folder.
#include <string>

// Result codes of ExtractArchive. The decoder's own codes pass through
// unchanged; the driver adds the others.
enum ExtractResult : int {
    kExtractOk = 0,              // every entry extracted
    kExtractDataError = 1,       // decoder: damaged packed data
    kExtractOutOfMemory = 2,     // name buffer, decoded block or decoder state
    kExtractCrcError = 3,        // decoder: an entry's bytes fail their CRC
    kExtractUnsupported = 4,     // decoder: a method or coder arrangement it cannot decode
    kExtractCannotOpen = 6,      // the archive file cannot be opened (also the decoder's "input ends early")
    kExtractCannotCreate = 7,    // an output file cannot be created (or replaced, e.g. read-only)
    kExtractCannotWrite = 11,    // an output file cannot be written completely or closed, or an
                                 // entry name cannot be converted for the listing
                                 // (also the decoder's "failure")
    kExtractArchiveError = 16,   // damaged headers, or an unsafe entry name (see below)
    kExtractNotArchive = 17,     // no 7z signature
};

// Unpacks every entry of the archive at `archivePath` into `outputFolder`
// (which must exist), in the archive's order: folders are created along each
// name ("/" separated; a "\" separates too, as Windows reads it), files are
// created or replaced (never a read-only one: kExtractCannotCreate) and
// written, and their recorded attributes applied. Each entry's name is also
// written to standard output as one line in the OEM code page (characters it
// lacks become its default character).
//
// Before anything is written every entry name is checked; a ".." component,
// a drive or any colon, a rooted or UNC name, or a reserved device name (CON,
// NUL, AUX, PRN, COM1-9, LPT1-9, with or without extension) rejects the whole
// archive with kExtractArchiveError and nothing is written.
//
// Returns kExtractOk or one of the codes above: other codes of the decoder
// (5, 8, 9...) may also appear for a damaged archive. Folder creation errors
// are ignored, so a folder that cannot be made shows as kExtractCannotCreate
// at the first file under it. After a failure the files written so far stay.
// Every handle and buffer is released before the call returns; the archive
// file is opened for shared reading only and never changed. Never throws.
int ExtractArchive(const std::wstring& archivePath, const std::wstring& outputFolder);

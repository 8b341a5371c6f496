#include "reassembly.h"

#include <stdarg.h>
#include <string.h>

#include <optional>

#include "checksum_thread.h"
#include "crc32.h"
#include "file_system.h"
#include "parameter_text.h"
#include "path_text.h"
#include "piece_names.h"
#include "shared_constants.h"

namespace {

// Paths may grow past 511 characters when a bare output name is placed in
// the current folder; the file calls then refuse them.
const size_t PATH_SIZE = 2 * MAX_TEXT;
const size_t MESSAGE_SIZE = 4 * MAX_TEXT;

struct RunInputs {
    char name[FILE_NAME_CAPACITY];
    char outputPath[PATH_SIZE];
    char outputFolder[PATH_SIZE];
    char piecesFolder[MAX_TEXT + 1];
    int64_t fileSize;
    int32_t pieceCount;
    // The CRC-32 of the file that was split, when the program carries it.
    bool checksumKnown;
    uint32_t checksum;
    // Set by the size check before the copy.
    int64_t firstPieceSize;
};

// Joins the texts given up to a null one into out (cut to fit).
void Compose(char* out, size_t size, ...)
{
    out[0] = '\0';
    va_list parts;
    va_start(parts, size);
    for (const char* part = va_arg(parts, const char*); part; part = va_arg(parts, const char*))
        AppendText(out, size, part);
    va_end(parts);
}

void AppendBackslashIfMissing(char* folder, size_t size)
{
    size_t length = strlen(folder);
    if (length == 0 || folder[length - 1] != '\\') AppendText(folder, size, "\\");
}

// An output path without any backslash names a file in the current folder.
void PlaceBareNameInCurrentFolder(char* outputPath)
{
    if (FolderPartLength(outputPath) > 0) return;
    char path[PATH_SIZE];
    if (!GetCurrentFolder(path, MAX_TEXT)) return;
    AppendBackslashIfMissing(path, sizeof path);
    AppendText(path, sizeof path, outputPath);
    CopyText(outputPath, PATH_SIZE, path, strlen(path));
}

void ReadInputs(ReassemblyHost& host, RunInputs& in)
{
    LoadFileName(host, in.name);
    in.outputPath[0] = '\0';
    host.readFileToCreate(in.outputPath, MAX_TEXT);
    PlaceBareNameInCurrentFolder(in.outputPath);
    in.piecesFolder[0] = '\0';
    host.readPiecesFolder(in.piecesFolder, MAX_TEXT);
    AppendBackslashIfMissing(in.piecesFolder, sizeof in.piecesFolder);
    in.fileSize = LoadFileSize(host);
    CopyText(in.outputFolder, sizeof in.outputFolder, in.outputPath,
             FolderPartLength(in.outputPath));
    in.pieceCount = 0;  // read after the free-space check
    in.checksumKnown = LoadChecksum(host, in.checksum);
    in.firstPieceSize = 0;
}

bool EnsureOutputFolder(ReassemblyHost& host, const RunInputs& in)
{
    if (isFolder(in.outputFolder)) return true;
    char text[MESSAGE_SIZE];
    Compose(text, sizeof text, "The folder \"", in.outputFolder,
            "\" does not exist.\nDo you want the folder to be created?", (const char*)0);
    if (host.messageBox(text, box::QUESTION) != box::ANSWER_YES) return false;
    if (CreateFolderPath(in.outputFolder)) return true;
    Compose(text, sizeof text, "Unable to create the folder\n\"", in.outputFolder, "\"",
            (const char*)0);
    host.messageBox(text, box::INFORMATION);
    return false;
}

bool HasRoomForFile(ReassemblyHost& host, const RunInputs& in)
{
    // A query that fails gives -1: too little for any size.
    if (getFreeSpace(in.outputFolder) >= in.fileSize) return true;
    char drive[PATH_SIZE];
    DrivePart(in.outputPath, drive, sizeof drive);
    char size[SEPARATED_NUMBER_SIZE];
    FormatWithSeparators(in.fileSize, size);
    char text[MESSAGE_SIZE];
    Compose(text, sizeof text, "There is not enough free disk space on drive ", drive, ".\n", size,
            " bytes of disk space are required.", (const char*)0);
    host.messageBox(text, box::INFORMATION);
    return false;
}

bool AllPiecesPresent(ReassemblyHost& host, const RunInputs& in)
{
    char missing[PATH_SIZE];
    if (!FindFirstMissingPiece(in.piecesFolder, in.name, in.pieceCount, missing, sizeof missing))
        return true;
    char text[MESSAGE_SIZE];
    Compose(text, sizeof text, "The file '", FileNamePart(missing),
            "' could not be found.  This file is required to create '",
            FileNamePart(in.outputPath), "'.", (const char*)0);
    host.messageBox(text, box::INFORMATION);
    return false;
}

void ReportUnreadablePiece(ReassemblyHost& host, const char* piecePath)
{
    char text[MESSAGE_SIZE];
    Compose(text, sizeof text, "An error occurred while attempting to read from the file '",
            piecePath, "'.", (const char*)0);
    host.messageBox(text, box::EXCLAMATION);
}

void PiecePath(const RunInputs& in, int32_t number, char* out)
{
    PieceFileName(out, PATH_SIZE, in.piecesFolder, in.name, number, in.pieceCount);
}

int64_t SizeOfPiece(int32_t number, const void* context)
{
    const RunInputs& in = *static_cast<const RunInputs*>(context);
    char path[PATH_SIZE];
    PiecePath(in, number, path);
    return getFileSize(path);
}

void ReportSizeMismatch(ReassemblyHost& host, const RunInputs& in, int64_t total)
{
    char text[MESSAGE_SIZE];
    int32_t odd = PieceOutOfLine(SizeOfPiece, &in, in.pieceCount, in.fileSize);
    char oddPath[PATH_SIZE] = "";
    if (odd > 0) PiecePath(in, odd, oddPath);
    if (total == in.fileSize) {
        // The right total, but not cut the way a split cuts: a piece before
        // the last differs from the first, and the odd one can be named.
        Compose(text, sizeof text, "The file '", FileNamePart(oddPath),
                "' does not have the expected size.  This file is required to create '",
                FileNamePart(in.outputPath), "'.", (const char*)0);
        host.messageBox(text, box::INFORMATION);
        return;
    }
    char found[SEPARATED_NUMBER_SIZE], expected[SEPARATED_NUMBER_SIZE];
    FormatWithSeparators(total, found);
    FormatWithSeparators(in.fileSize, expected);
    Compose(text, sizeof text, "The pieces hold ", found, " bytes in all, but ", expected,
            " bytes are required to create '", FileNamePart(in.outputPath), "'.",
            (const char*)0);
    if (odd > 0) {
        AppendText(text, sizeof text, "  The file '");
        AppendText(text, sizeof text, FileNamePart(oddPath));
        AppendText(text, sizeof text, "' does not have the expected size.");
    }
    host.messageBox(text, box::INFORMATION);
}

// A split cuts every piece but the last to the size of the first, and the
// last holds the rest. Pieces found to be cut so can be held to their sizes
// while they are copied, without a list of them; a damaged, truncated or
// foreign piece would otherwise give a wrong file.
int64_t ExpectedPieceSize(const RunInputs& in, int32_t number)
{
    if (number < in.pieceCount) return in.firstPieceSize;
    return in.fileSize - (int64_t)(in.pieceCount - 1) * in.firstPieceSize;
}

bool PiecesCutAsBySplit(ReassemblyHost& host, RunInputs& in)
{
    int64_t total = 0;
    bool evenlyCut = true;
    for (int32_t number = 1; number <= in.pieceCount; ++number) {
        char path[PATH_SIZE];
        PiecePath(in, number, path);
        int64_t size = getFileSize(path);
        if (size < 0) {
            ReportUnreadablePiece(host, path);
            return false;
        }
        if (number == 1)
            in.firstPieceSize = size;
        else if (number < in.pieceCount && size != in.firstPieceSize)
            evenlyCut = false;
        total += size;
    }
    if (total == in.fileSize && evenlyCut) return true;
    ReportSizeMismatch(host, in, total);
    return false;
}

bool MayReplaceOutput(ReassemblyHost& host, const RunInputs& in)
{
    if (!canOpenForReading(in.outputPath)) return true;
    char text[MESSAGE_SIZE];
    Compose(text, sizeof text, "The file '", in.outputPath,
            "' already exists.  Do you want to overwrite it?", (const char*)0);
    return host.messageBox(text, box::QUESTION) == box::ANSWER_YES;
}

void ShowPercentage(ReassemblyHost& host, int64_t written, int64_t fileSize)
{
    // A file of 0 bytes has nothing left to copy: it is complete.
    int percent = fileSize > 0 ? (int)(written * 100 / fileSize) : 100;
    char digits[DECIMAL_SIZE];
    FormatDecimal(percent, digits);
    char text[DECIMAL_SIZE + 4];
    Compose(text, sizeof text, "  ", digits, "%", (const char*)0);
    host.showProgress(percent, text);
    host.pumpMessages();
}

enum CopyOutcome { Copied, ReadFailed, WriteFailed, SizeChanged };

CopyOutcome AppendPiece(ReassemblyHost& host, const RunInputs& in, int32_t number,
                        const char* piecePath, RawFile& output, unsigned char* buffer,
                        int64_t& written, ChecksumThread* checksum)
{
    RawFile piece;
    if (!piece.open(piecePath, RawFile::ForReading)) return ReadFailed;
    // Open, the piece is shut to writers; it must still have the size it was
    // checked to have before the copy.
    int64_t size = piece.size();
    if (size < 0) return ReadFailed;
    if (size != ExpectedPieceSize(in, number)) return SizeChanged;
    // A block never spans two pieces: each piece ends with its own remainder.
    for (int64_t copied = 0; copied < size;) {
        int64_t rest = size - copied;
        size_t block = rest < (int64_t)COPY_BUFFER_SIZE ? (size_t)rest : COPY_BUFFER_SIZE;
        if (!piece.readExact(buffer, block)) return ReadFailed;
        if (!WriteTakingChecksum(output, buffer, block, checksum)) return WriteFailed;
        copied += (int64_t)block;
        written += (int64_t)block;
        ShowPercentage(host, written, in.fileSize);
    }
    return Copied;
}

void ReportMismatch(ReassemblyHost& host, const RunInputs& in, const char* reason)
{
    char text[MESSAGE_SIZE];
    Compose(text, sizeof text, "The file '", in.outputPath,
            "' does not match the file that was split: ", reason, (const char*)0);
    host.messageBox(text, box::EXCLAMATION);
}

void ReportPieceSizeChange(ReassemblyHost& host, const RunInputs& in, const char* piecePath)
{
    char reason[PATH_SIZE + 64];
    Compose(reason, sizeof reason, "the piece '", FileNamePart(piecePath),
            "' changed size while it was being read.", (const char*)0);
    ReportMismatch(host, in, reason);
}

void ReportContentMismatch(ReassemblyHost& host, const RunInputs& in, uint32_t found)
{
    char expectedText[CHECKSUM_TEXT_SIZE], foundText[CHECKSUM_TEXT_SIZE];
    FormatChecksum(in.checksum, expectedText);
    FormatChecksum(found, foundText);
    char reason[128];
    Compose(reason, sizeof reason, "the content differs.  Expected checksum ", expectedText,
            ", found ", foundText, ".", (const char*)0);
    ReportMismatch(host, in, reason);
}

// True only when every piece gave the size it was checked to have and, where
// the program carries the checksum, the file written has it.
bool CopyPiecesInOrder(ReassemblyHost& host, const RunInputs& in, RawFile& output,
                       unsigned char* buffer)
{
    host.showProgress(0, "  0%");
    host.pumpMessages();
    int64_t written = 0;
    std::optional<ChecksumThread> checksum;
    if (in.checksumKnown) checksum.emplace();
    ChecksumThread* takeChecksum = checksum ? &*checksum : nullptr;
    for (int32_t number = 1; number <= in.pieceCount; ++number) {
        char path[PATH_SIZE];
        PiecePath(in, number, path);
        switch (AppendPiece(host, in, number, path, output, buffer, written, takeChecksum)) {
        case Copied:
            break;
        case ReadFailed:
            ReportUnreadablePiece(host, path);
            return false;
        case WriteFailed:
            host.messageBox("An error occurred while attempting to write to the output file.",
                            box::EXCLAMATION);
            return false;
        case SizeChanged:
            ReportPieceSizeChange(host, in, path);
            return false;
        }
    }
    // The sizes the pieces were held to add up to the file size.
    if (checksum && checksum->checksum() != in.checksum) {
        ReportContentMismatch(host, in, checksum->checksum());
        return false;
    }
    return true;
}

bool CreateOutput(ReassemblyHost& host, const RunInputs& in)
{
    // The buffer comes first, so that a lack of memory leaves an existing
    // output file untouched.
    unsigned char* buffer = static_cast<unsigned char*>(host.obtainBuffer(COPY_BUFFER_SIZE));
    if (!buffer) {
        host.messageBox("There is not enough memory to create the output file.",
                        box::EXCLAMATION);
        return false;
    }
    RawFile output;
    bool copied = false;
    if (output.open(in.outputPath, RawFile::ForWriting)) {
        copied = CopyPiecesInOrder(host, in, output, buffer);
        output.close();
    } else {
        host.messageBox("An error occurred while attempting to create the output file.",
                        box::EXCLAMATION);
    }
    host.releaseBuffer(buffer);
    return copied;
}

}  // namespace

void DrivePart(const char* path, char* out, size_t size)
{
    const char* backslash = strchr(path, '\\');
    CopyText(out, size, path, backslash ? (size_t)(backslash - path) : strlen(path));
}

bool FindFirstMissingPiece(const char* folder, const char* name, int32_t count, char* out,
                           size_t size)
{
    for (int32_t number = 1; number <= count; ++number) {
        PieceFileName(out, size, folder, name, number, count);
        if (!canOpenForReading(out)) return true;
    }
    return false;
}

int32_t PieceOutOfLine(PieceSizeQuery sizeOf, const void* context, int32_t count,
                       int64_t fileSize)
{
    if (count < 1) return 0;
    if (count == 1) return sizeOf(1, context) != fileSize ? 1 : 0;
    int64_t pieceSize = sizeOf(1, context);
    if (count >= 3) {
        int64_t second = sizeOf(2, context);
        // The second and third agree against the first: the first is the odd one.
        if (second != pieceSize && sizeOf(3, context) == second) return 1;
    }
    for (int32_t number = 2; number < count; ++number) {
        if (sizeOf(number, context) != pieceSize) return number;
    }
    int64_t rest = fileSize - (int64_t)(count - 1) * pieceSize;
    bool restFits = rest >= 1 && rest <= pieceSize;
    return restFits && sizeOf(count, context) != rest ? count : 0;
}

bool ReassembleFile(ReassemblyHost& host)
{
    RunInputs in;
    ReadInputs(host, in);
    if (!EnsureOutputFolder(host, in)) return false;
    if (!HasRoomForFile(host, in)) return false;
    in.pieceCount = LoadPieceCount(host);
    if (!AllPiecesPresent(host, in)) return false;
    if (!PiecesCutAsBySplit(host, in)) return false;
    if (!MayReplaceOutput(host, in)) return false;
    if (!CreateOutput(host, in)) return false;
    host.messageBox("The file was created successfully.", box::INFORMATION);
    return true;
}

#include "reassembly.h"

#include <stdarg.h>
#include <string.h>

#include <optional>

#include "checksum_thread.h"
#include "crc32.h"
#include "file_system.h"
#include "parameter_text.h"
#include "path_text.h"
#include "piece_checksums.h"
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
    // The CRC-32 of each piece: from the program's own list, or else from an
    // intact recovery record of this split; null without either.
    const unsigned char* pieceChecksums;
    // <name>.recovery in the pieces folder: there at all, its record intact
    // and of this split, and whether its XOR data has been found intact.
    char recoveryPath[PATH_SIZE];
    bool recoveryPresent;
    bool recoveryFits;
    enum { NOT_READ, INTACT, DAMAGED } recoveryData;
    RecoveryRecord recovery;
    // The piece made from the recovery piece and the others, or 0.
    int32_t rebuiltPiece;
};

// The buffers of a run beside the one it always had; released when it ends.
class RunBuffers {
public:
    explicit RunBuffers(ReassemblyHost& host) : host_(host) {}
    ~RunBuffers()
    {
        for (int i = 0; i < COUNT; ++i)
            if (buffers_[i]) host_.releaseBuffer(buffers_[i]);
    }
    enum Use { COPY, LIST, RECORD, REBUILD, CHECKSUMS, COUNT };
    // The buffer for this use, obtained on first use; null when it cannot be.
    unsigned char* get(Use use, size_t size)
    {
        if (!buffers_[use]) buffers_[use] = static_cast<unsigned char*>(host_.obtainBuffer(size));
        return buffers_[use];
    }

private:
    ReassemblyHost& host_;
    unsigned char* buffers_[COUNT] = {};
};

// The bytes to move next: what is left, at most `largest`, none when nothing is left.
size_t UpTo(int64_t rest, size_t largest)
{
    return rest <= 0 ? 0 : rest < (int64_t)largest ? (size_t)rest : largest;
}

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
    in.pieceChecksums = 0;
    in.recoveryPath[0] = '\0';
    in.recoveryPresent = in.recoveryFits = false;
    in.recoveryData = RunInputs::NOT_READ;
    in.rebuiltPiece = 0;
}

// The program's own list of the pieces' checksums, after its image.
void LoadPieceList(ReassemblyHost& host, RunInputs& in, RunBuffers& buffers)
{
    char path[PATH_SIZE];
    RawFile program;
    if (!host.programPath(path, sizeof path) || !program.open(path, RawFile::ForReading)) return;
    int64_t size = program.size();
    unsigned char trailer[PIECE_LIST_TRAILER_SIZE];
    if (size < (int64_t)PieceListSize(1) ||
        !program.readExactAt(size - (int64_t)sizeof trailer, trailer, sizeof trailer))
        return;
    int32_t count = PieceListCount(trailer);
    if (count != in.pieceCount || size < (int64_t)PieceListSize(count)) return;
    unsigned char* entries = buffers.get(RunBuffers::LIST, 4 * (size_t)count);
    if (entries &&
        program.readExactAt(size - (int64_t)PieceListSize(count), entries, 4 * (size_t)count) &&
        PieceListIntact(entries, count, trailer))
        in.pieceChecksums = entries;
}

bool RecordOfThisSplit(const RunInputs& in, const RecoveryRecord& record, int64_t fileSize)
{
    size_t nameLength = strlen(in.name);
    return record.pieceCount == in.pieceCount && record.fileSize == in.fileSize &&
           (!in.checksumKnown || record.fileChecksum == in.checksum) &&
           record.nameLength == nameLength && strncmp(record.name, in.name, nameLength) == 0 &&
           fileSize ==
               (int64_t)RecoveryRecordSize(record.pieceCount, nameLength) + record.pieceSize;
}

// Reads the record of <name>.recovery, when there is one.
void LookForRecoveryPiece(RunInputs& in, RunBuffers& buffers)
{
    // A name cut short could be another file's.
    if (strlen(in.piecesFolder) + strlen(in.name) + sizeof ".recovery" > sizeof in.recoveryPath)
        return;
    Compose(in.recoveryPath, sizeof in.recoveryPath, in.piecesFolder, in.name, ".recovery",
            (const char*)0);
    RawFile file;
    in.recoveryPresent = file.open(in.recoveryPath, RawFile::ForReading);
    int64_t size = file.size();
    if (size < 0) return;
    size_t length = UpTo(size, MAX_RECOVERY_RECORD_SIZE);
    unsigned char* data = buffers.get(RunBuffers::RECORD, MAX_RECOVERY_RECORD_SIZE);
    in.recoveryFits = data && file.readExactAt(0, data, length) &&
                      ReadRecoveryRecord(data, length, in.recovery) &&
                      RecordOfThisSplit(in, in.recovery, size);
    if (in.recoveryFits && !in.pieceChecksums) in.pieceChecksums = in.recovery.pieceChecksums;
}

int64_t RecoveryDataOffset(const RunInputs& in)
{
    return (int64_t)RecoveryRecordSize(in.recovery.pieceCount, in.recovery.nameLength);
}

// Whether the recovery piece can stand in for a piece: its record fits and
// its XOR data, read once in full the first time this is asked, is intact.
bool RecoveryUsable(RunInputs& in, unsigned char* buffer)
{
    if (!in.recoveryFits) return false;
    if (in.recoveryData == RunInputs::NOT_READ) {
        RawFile file;
        bool read = file.open(in.recoveryPath, RawFile::ForReading);
        uint32_t crc = 0;
        for (int64_t done = 0; read && done < in.recovery.pieceSize;) {
            size_t block = UpTo(in.recovery.pieceSize - done, COPY_BUFFER_SIZE);
            read = file.readExactAt(RecoveryDataOffset(in) + done, buffer, block);
            crc = Crc32Update(crc, buffer, block);
            done += (int64_t)block;
        }
        bool intact = read && crc == in.recovery.dataChecksum;
        in.recoveryData = intact ? RunInputs::INTACT : RunInputs::DAMAGED;
    }
    return in.recoveryData == RunInputs::INTACT;
}

// A recovery piece that is there but cannot stand in for a piece is named
// at the end of every message that names a missing or damaged piece.
void ShowPieceMessage(ReassemblyHost& host, const RunInputs& in, char* text, unsigned style)
{
    bool rejected =
        in.recoveryPresent && (!in.recoveryFits || in.recoveryData == RunInputs::DAMAGED);
    if (rejected) {
        AppendText(text, MESSAGE_SIZE, "  The recovery piece '");
        AppendText(text, MESSAGE_SIZE, FileNamePart(in.recoveryPath));
        AppendText(text, MESSAGE_SIZE,
                   "' cannot be used: it is damaged or belongs to another split.");
    }
    host.messageBox(text, style);
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

void ReportUnreadablePiece(ReassemblyHost& host, const RunInputs& in, const char* piecePath)
{
    char text[MESSAGE_SIZE];
    Compose(text, sizeof text, "An error occurred while attempting to read from the file '",
            piecePath, "'.", (const char*)0);
    ShowPieceMessage(host, in, text, box::EXCLAMATION);
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
        ShowPieceMessage(host, in, text, box::INFORMATION);
        return;
    }
    char found[SEPARATED_NUMBER_SIZE], expected[SEPARATED_NUMBER_SIZE];
    FormatWithSeparators(total, found);
    FormatWithSeparators(in.fileSize, expected);
    Compose(text, sizeof text, "The pieces hold ", found, " bytes in all, but ", expected,
            " bytes are required to create '", FileNamePart(in.outputPath), "'.", (const char*)0);
    if (odd == 0) {
        host.messageBox(text, box::INFORMATION);
        return;
    }
    AppendText(text, sizeof text, "  The file '");
    AppendText(text, sizeof text, FileNamePart(oddPath));
    AppendText(text, sizeof text, "' does not have the expected size.");
    ShowPieceMessage(host, in, text, box::INFORMATION);
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

// What one look at every piece's size shows, each piece opened once.
struct PieceSurvey {
    int32_t firstMissing;  // the first piece that cannot be opened, or 0
    int64_t firstSize;
    int64_t total;   // of the pieces that can be opened
    bool evenlyCut;  // every piece before the last as large as the first
    // With a recovery record of this split: the pieces whose size is not
    // the one it gives (missing ones included), the first two of them.
    int32_t badCount;
    int32_t bad[2];
};

void SurveyPieces(const RunInputs& in, PieceSurvey& survey)
{
    survey = PieceSurvey();
    survey.evenlyCut = true;
    for (int32_t number = 1; number <= in.pieceCount; ++number) {
        char path[PATH_SIZE];
        PiecePath(in, number, path);
        int64_t size = getFileSize(path);
        if (number == 1) survey.firstSize = size;
        if (size < 0 && survey.firstMissing == 0) survey.firstMissing = number;
        if (size >= 0) survey.total += size;
        if (number > 1 && number < in.pieceCount && size != survey.firstSize)
            survey.evenlyCut = false;
        if (in.recoveryFits && size != ExpectedPieceSize(in, number)) {
            if (survey.badCount < 2) survey.bad[survey.badCount] = number;
            ++survey.badCount;
        }
    }
}

void AppendNumber(char* text, int64_t value)
{
    char digits[DECIMAL_SIZE];
    FormatDecimal(value, digits);
    AppendText(text, MESSAGE_SIZE, digits);
}

// Two or more bad pieces: the first two in number order and how many more.
void ReportBadPieces(ReassemblyHost& host, const RunInputs& in, int32_t first, int32_t second,
                     int32_t count, unsigned style)
{
    char firstPath[PATH_SIZE], secondPath[PATH_SIZE], text[MESSAGE_SIZE];
    PiecePath(in, first < second ? first : second, firstPath);
    PiecePath(in, first < second ? second : first, secondPath);
    Compose(text, sizeof text, "The files '", FileNamePart(firstPath),
            count == 2 ? "' and '" : "', '", FileNamePart(secondPath), "'", (const char*)0);
    if (count > 2) {
        AppendText(text, sizeof text, " and ");
        AppendNumber(text, count - 2);
        AppendText(text, sizeof text, count == 3 ? " other" : " others");
    }
    AppendText(text, sizeof text,
               " are missing or damaged, and the recovery piece can rebuild only one of them.");
    host.messageBox(text, style);
}

void ReportMissingPiece(ReassemblyHost& host, const RunInputs& in, int32_t number)
{
    char path[PATH_SIZE], text[MESSAGE_SIZE];
    PiecePath(in, number, path);
    Compose(text, sizeof text, "The file '", FileNamePart(path),
            "' could not be found.  This file is required to create '", FileNamePart(in.outputPath),
            "'.", (const char*)0);
    ShowPieceMessage(host, in, text, box::INFORMATION);
}

unsigned char* CopyBuffer(ReassemblyHost& host, RunBuffers& buffers)
{
    unsigned char* buffer = buffers.get(RunBuffers::COPY, COPY_BUFFER_SIZE);
    if (!buffer)
        host.messageBox("There is not enough memory to create the output file.", box::EXCLAMATION);
    return buffer;
}

// Every piece there and cut as a split cuts; or, with a usable recovery
// piece, all but one, which is then made from it.
bool PiecesReady(ReassemblyHost& host, RunInputs& in, RunBuffers& buffers)
{
    if (in.recoveryFits) in.firstPieceSize = in.recovery.pieceSize;
    PieceSurvey survey;
    SurveyPieces(in, survey);
    if (in.recoveryFits && survey.badCount == 0) return true;
    if (in.recoveryFits) {
        unsigned char* buffer = CopyBuffer(host, buffers);
        if (!buffer) return false;
        if (RecoveryUsable(in, buffer)) {
            if (survey.badCount == 1) {
                in.rebuiltPiece = survey.bad[0];
                return true;
            }
            ReportBadPieces(host, in, survey.bad[0], survey.bad[1], survey.badCount,
                            box::INFORMATION);
            return false;
        }
    }
    // As without a recovery piece.
    if (survey.firstMissing > 0) {
        ReportMissingPiece(host, in, survey.firstMissing);
        return false;
    }
    in.firstPieceSize = survey.firstSize;
    if (survey.total == in.fileSize && survey.evenlyCut) return true;
    ReportSizeMismatch(host, in, survey.total);
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

enum CopyOutcome { Copied, ReadFailed, WriteFailed, SizeChanged, Damaged };

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
        size_t block = UpTo(size - copied, COPY_BUFFER_SIZE);
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
    char text[MESSAGE_SIZE];
    Compose(text, sizeof text, "The file '", in.outputPath,
            "' does not match the file that was split: the piece '", FileNamePart(piecePath),
            "' changed size while it was being read.", (const char*)0);
    ShowPieceMessage(host, in, text, box::EXCLAMATION);
}

void ReportDamagedPiece(ReassemblyHost& host, const RunInputs& in, const char* piecePath,
                        uint32_t found, uint32_t expected)
{
    char foundText[CHECKSUM_TEXT_SIZE], expectedText[CHECKSUM_TEXT_SIZE], text[MESSAGE_SIZE];
    FormatChecksum(found, foundText);
    FormatChecksum(expected, expectedText);
    Compose(text, sizeof text, "The file '", FileNamePart(piecePath),
            "' is damaged: its checksum is ", foundText, ", but it was ", expectedText,
            " when the file was split.  This file is required to create '",
            FileNamePart(in.outputPath), "'.", (const char*)0);
    ShowPieceMessage(host, in, text, box::EXCLAMATION);
}

// Piece `rebuilt` made block by block from the recovery piece and every
// other piece, whose checksums are taken on the way. 0 when it was written
// and every other piece read whole and intact; else the number of another
// piece that is missing or damaged, or -1 when the output or the recovery
// piece failed (its message shown).
int32_t RebuildPiece(ReassemblyHost& host, const RunInputs& in, RunBuffers& buffers,
                     RawFile& output, int64_t& written, ChecksumThread* checksum)
{
    unsigned char* buffer = buffers.get(RunBuffers::COPY, COPY_BUFFER_SIZE);
    unsigned char* together = buffers.get(RunBuffers::REBUILD, COPY_BUFFER_SIZE);
    uint32_t* crcs = (uint32_t*)buffers.get(RunBuffers::CHECKSUMS, 4 * (size_t)in.pieceCount);
    if (!together || !crcs) {
        host.messageBox("There is not enough memory to create the output file.", box::EXCLAMATION);
        return -1;
    }
    memset(crcs, 0, 4 * (size_t)in.pieceCount);
    RawFile recovery;
    // Every other piece is read whole, also past the end of a shorter last piece being rebuilt,
    // so that each one's checksum is taken.
    int64_t size = ExpectedPieceSize(in, in.rebuiltPiece), pieceSize = in.firstPieceSize;
    bool opened = recovery.open(in.recoveryPath, RawFile::ForReading);
    for (int64_t offset = 0; offset < pieceSize; offset += COPY_BUFFER_SIZE) {
        size_t block = UpTo(pieceSize - offset, COPY_BUFFER_SIZE);
        if (!opened || !recovery.readExactAt(RecoveryDataOffset(in) + offset, together, block)) {
            ReportUnreadablePiece(host, in, in.recoveryPath);
            return -1;
        }
        for (int32_t number = 1; number <= in.pieceCount; ++number) {
            size_t part = UpTo(ExpectedPieceSize(in, number) - offset, block);
            if (number == in.rebuiltPiece || part == 0) continue;  // past its end: zeros
            char path[PATH_SIZE];
            PiecePath(in, number, path);
            RawFile piece;
            if (!piece.open(path, RawFile::ForReading) || !piece.readExactAt(offset, buffer, part))
                return number;
            crcs[number - 1] = Crc32Update(crcs[number - 1], buffer, part);
            XorInto(together, buffer, part);
        }
        size_t kept = UpTo(size - offset, block);
        if (kept == 0) continue;
        if (!WriteTakingChecksum(output, together, kept, checksum)) {
            host.messageBox("An error occurred while attempting to write to the output file.",
                            box::EXCLAMATION);
            return -1;
        }
        written += (int64_t)kept;
        ShowPercentage(host, written, in.fileSize);
    }
    for (int32_t number = 1; number <= in.pieceCount; ++number)
        if (number != in.rebuiltPiece &&
            crcs[number - 1] != ListedChecksum(in.pieceChecksums, number))
            return number;
    return 0;
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

enum PassResult { PASS_DONE, PASS_FAILED, PASS_AGAIN };

// The message for a piece that failed, with the rebuilt one, if any, named
// beside it when both are bad.
void ReportFailedPiece(ReassemblyHost& host, const RunInputs& in, int32_t number,
                       CopyOutcome outcome, uint32_t found)
{
    char path[PATH_SIZE];
    PiecePath(in, number, path);
    if (in.rebuiltPiece != 0 && number != in.rebuiltPiece)
        ReportBadPieces(host, in, in.rebuiltPiece, number, 2, box::EXCLAMATION);
    else if (outcome == ReadFailed)
        ReportUnreadablePiece(host, in, path);
    else if (outcome == SizeChanged)
        ReportPieceSizeChange(host, in, path);
    else
        ReportDamagedPiece(host, in, path, found, ListedChecksum(in.pieceChecksums, number));
}

// One pass over the pieces in number order into the output. PASS_AGAIN when a
// piece turned out bad that the recovery piece can stand in for: the pass is
// to be made again with that piece rebuilt. PASS_DONE only when every piece
// had the size it was checked to have and its own checksum, and the file
// written has the file's checksum, where the program carries them.
PassResult CopyPiecesInOrder(ReassemblyHost& host, RunInputs& in, RawFile& output,
                             RunBuffers& buffers)
{
    unsigned char* buffer = buffers.get(RunBuffers::COPY, COPY_BUFFER_SIZE);
    host.showProgress(0, "  0%");
    host.pumpMessages();
    int64_t written = 0;
    std::optional<ChecksumThread> checksum;
    if (in.checksumKnown || in.pieceChecksums) checksum.emplace();
    ChecksumThread* takeChecksum = checksum ? &*checksum : nullptr;
    for (int32_t number = 1; number <= in.pieceCount; ++number) {
        if (checksum) checksum->startPiece();
        CopyOutcome outcome = Copied;
        if (number == in.rebuiltPiece) {
            int32_t other = RebuildPiece(host, in, buffers, output, written, takeChecksum);
            if (other < 0) return PASS_FAILED;
            if (other > 0) {
                ReportFailedPiece(host, in, other, Damaged, 0);
                return PASS_FAILED;
            }
        } else {
            char path[PATH_SIZE];
            PiecePath(in, number, path);
            outcome = AppendPiece(host, in, number, path, output, buffer, written, takeChecksum);
        }
        uint32_t found = checksum ? checksum->pieceChecksum() : 0;
        if (outcome == Copied && in.pieceChecksums &&
            found != ListedChecksum(in.pieceChecksums, number))
            outcome = Damaged;
        if (outcome == Copied) continue;
        if (outcome == WriteFailed) {
            host.messageBox("An error occurred while attempting to write to the output file.",
                            box::EXCLAMATION);
            return PASS_FAILED;
        }
        if (in.rebuiltPiece == 0 && RecoveryUsable(in, buffer)) {
            in.rebuiltPiece = number;
            return PASS_AGAIN;
        }
        ReportFailedPiece(host, in, number, outcome, found);
        return PASS_FAILED;
    }
    // The sizes the pieces were held to add up to the file size.
    if (in.checksumKnown && checksum->checksum() != in.checksum) {
        ReportContentMismatch(host, in, checksum->checksum());
        return PASS_FAILED;
    }
    return PASS_DONE;
}

bool CreateOutput(ReassemblyHost& host, RunInputs& in, RunBuffers& buffers)
{
    // The buffer comes first, so that a lack of memory leaves an existing
    // output file untouched.
    if (!CopyBuffer(host, buffers)) return false;
    for (;;) {
        RawFile output;
        if (!output.open(in.outputPath, RawFile::ForWriting)) {
            host.messageBox("An error occurred while attempting to create the output file.",
                            box::EXCLAMATION);
            return false;
        }
        PassResult result = CopyPiecesInOrder(host, in, output, buffers);
        output.close();
        if (result != PASS_AGAIN) return result == PASS_DONE;
    }
}

void ReportSuccess(ReassemblyHost& host, const RunInputs& in)
{
    if (in.rebuiltPiece == 0) {
        host.messageBox("The file was created successfully.", box::INFORMATION);
        return;
    }
    char path[PATH_SIZE], text[MESSAGE_SIZE];
    PiecePath(in, in.rebuiltPiece, path);
    Compose(text, sizeof text, "The file was created successfully.\n\nThe file '",
            FileNamePart(path), "' was missing or damaged and has been rebuilt from '",
            FileNamePart(in.recoveryPath), "'.", (const char*)0);
    host.messageBox(text, box::INFORMATION);
}

}  // namespace

void DrivePart(const char* path, char* out, size_t size)
{
    const char* backslash = strchr(path, '\\');
    CopyText(out, size, path, backslash ? (size_t)(backslash - path) : strlen(path));
}

int32_t PieceOutOfLine(PieceSizeQuery sizeOf, const void* context, int32_t count, int64_t fileSize)
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
    RunBuffers buffers(host);
    LoadPieceList(host, in, buffers);
    LookForRecoveryPiece(in, buffers);
    if (!PiecesReady(host, in, buffers)) return false;
    if (!MayReplaceOutput(host, in)) return false;
    if (!CreateOutput(host, in, buffers)) return false;
    ReportSuccess(host, in);
    return true;
}

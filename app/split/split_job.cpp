#include "split_job.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <memory>
#include <optional>

#include "checksum_thread.h"
#include "combiner_parameters.h"
#include "combiner_writer.h"
#include "crc32.h"
#include "file_system.h"
#include "job_flags.h"
#include "job_questions.h"
#include "message_box.h"
#include "path_text_string.h"
#include "piece_checksums.h"
#include "piece_names.h"
#include "shared_constants.h"

namespace {

const char* const OUT_OF_MEMORY_TEXT = "There is not enough memory to split the file.";

// What a job holds from its first step to its end. Leaving scope closes the
// files and releases the buffer; nothing on disk is ever deleted.
struct JobResources {
    std::unique_ptr<unsigned char[]> buffer;
    RawFile source;
    RawFile piece;
    // Only when the job takes the checksum; ended before the buffer goes.
    std::optional<ChecksumThread> checksum;
    // With a recovery piece: the XOR of the pieces so far, one piece long.
    std::unique_ptr<unsigned char[]> recovery;
    // The CRC-32 of each piece written, 4 little-endian bytes each, where
    // the count allows a list of them.
    std::vector<unsigned char> pieceChecksums;
};

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

// The one end of every job: arrow cursor, flags cleared, after a success the
// recent lists and the report (naming the recovery piece, if one was
// written), then the dialog back to idle.
void EndJob(SplitHost& host, bool success, const std::string& filePath,
                 bool recoveryWritten = false)
{
    host.setArrowCursor();
    splitInProgress = false;
    cancelRequested = false;
    if (success) {
        std::string report = "'" + FileNamePart(filePath) +
                             "' was split successfully.\n\nBrindle has produced a program named '" +
                             CombinerProgramName(filePath) + "' that will recreate the file.";
        if (recoveryWritten)
            report += "\n\nThe recovery piece '" + RecoveryPieceName(filePath) +
                      "' can stand in for any one piece that is lost or damaged.";
        host.rememberRecent();
        host.messageBox(report, box::INFORMATION);
    }
    host.setSplitControls(true);
    host.setProgress(0);
    host.setStatusText("");
}

// Shows the refusal or error and ends the job, not successful.
void FailJob(SplitHost& host, const std::string& text)
{
    host.messageBox(text, box::INFORMATION);
    EndJob(host, false, "");
}

bool AskYes(SplitHost& host, const std::string& question)
{
    return host.messageBox(question, box::QUESTION) == box::ANSWER_YES;
}

// Trimmed, absolute, ending with a backslash. Relative folders go under the
// root of the current directory.
std::string AbsoluteFolder(const std::string& typed)
{
    char folder[MAX_TEXT];
    CopyText(folder, sizeof folder, typed.c_str(), typed.size());
    TrimLeading(folder);
    TrimTrailing(folder);
    std::string result = folder;
    bool isNetworkPath = result.compare(0, 2, "\\\\") == 0;
    bool hasDrive = result.size() >= 2 && result[1] == ':';
    if (!isNetworkPath && !hasDrive) {
        char current[MAX_TEXT];
        std::string root = GetCurrentFolder(current, sizeof current) ? RootOfPath(current) : "\\";
        result = root + result;
    }
    if (result.empty() || result.back() != '\\') result += '\\';
    return result;
}

// The folder question or the root-folder question; false ends the job.
bool PrepareFolder(SplitHost& host, SplitJob& job)
{
    std::string root = RootOfPath(job.piecesFolder);
    job.onRemovableDrive = isRemovableDrive(root.c_str());
    if (job.onRemovableDrive) {
        if (IsRootFolder(job.piecesFolder)) return true;
        if (!AskYes(host,
                    "Brindle can split only to the root folder on removable drives.\n"
                    "The pieces will be created in " + root + ".  OK to proceed?")) {
            EndJob(host, false, "");
            return false;
        }
        job.piecesFolder = root;
        return true;
    }
    if (isFolder(job.piecesFolder.c_str())) return true;
    if (!AskYes(host, "The folder " + Quoted(job.piecesFolder) +
                          " does not exist.\nDo you want the folder to be created?")) {
        EndJob(host, false, "");
        return false;
    }
    if (job.piecesFolder.size() >= MAX_TEXT || !CreateFolderPath(job.piecesFolder.c_str())) {
        FailJob(host, "Unable to create the folder\n" + Quoted(job.piecesFolder));
        return false;
    }
    return true;
}

std::string FileCannotBeCopiedText(const std::string& filePath)
{
    return "The file " + Quoted(filePath) + "\nis either in use or does not exist.";
}

// The limits of a recovery piece and its buffer; false when the job has been
// ended. The first piece is copied into the buffer, and what it does not
// cover (a single piece shorter than the size chosen) is zeroed now.
bool PrepareRecovery(SplitHost& host, const SplitJob& job, JobResources& resources)
{
    if (job.pieceSize > MAX_RECOVERY_PIECE_SIZE) {
        FailJob(host, "A recovery piece can be added only to pieces of at most " +
                          FormatWithSeparators(MAX_RECOVERY_PIECE_SIZE) +
                          " bytes.\nPlease choose smaller pieces or clear \"Add a recovery piece\".");
        return false;
    }
    if (job.pieceCount > MAX_LISTED_PIECES) {
        FailJob(host, "A recovery piece can be added only to splits of at most " +
                          FormatWithSeparators(MAX_LISTED_PIECES) +
                          " pieces.\nPlease choose larger pieces or clear \"Add a recovery piece\".");
        return false;
    }
    resources.recovery = host.obtainCopyBuffer((size_t)job.pieceSize);
    if (!resources.recovery) {
        FailJob(host, "There is not enough memory to make the recovery piece.");
        return false;
    }
    int64_t firstPieceBytes = std::min(job.fileSize, job.pieceSize);
    memset(resources.recovery.get() + firstPieceBytes, 0,
           (size_t)(job.pieceSize - firstPieceBytes));
    return true;
}

// Reads and checks the request; on the way out of every refusal the job has
// been ended. True with the source open and the dialog splitting.
bool prepareSplitJob(SplitHost& host, SplitJob& job, JobResources& resources)
{
    overwriteAll = false;
    resources.buffer = host.obtainCopyBuffer(COPY_BUFFER_SIZE);
    if (!resources.buffer) {
        FailJob(host, OUT_OF_MEMORY_TEXT);
        return false;
    }

    job.filePath = CutToFieldLength(host.fileFieldText());
    if (job.filePath.empty()) {
        FailJob(host, "You must specify a file to split.");
        return false;
    }
    if (!canOpenForReading(job.filePath.c_str())) {
        FailJob(host, "Unable to open the file " + Quoted(job.filePath) +
                          ".\nThe file is in use or it does not exist.");
        return false;
    }

    std::string folder = CutToFieldLength(host.folderFieldText());
    if (folder.empty()) {
        FailJob(host, "You must specify a folder for the pieces.");
        return false;
    }
    job.piecesFolder = AbsoluteFolder(folder);
    if (!PrepareFolder(host, job)) return false;

    job.pieceSize = host.pieceSize();
    if (job.pieceSize <= 0) {
        FailJob(host, "The size of the pieces must be greater than 0.");
        return false;
    }
    job.fileSize = getFileSize(job.filePath.c_str());
    if (job.fileSize < 0) {
        // The file went away after it was checked.
        FailJob(host, FileCannotBeCopiedText(job.filePath));
        return false;
    }
    job.pieceCount = job.fileSize / job.pieceSize + (job.fileSize % job.pieceSize != 0 ? 1 : 0);
    if (job.pieceCount > MAX_PIECE_COUNT) {
        FailJob(host, "Brindle will only create a maximum of " +
                          FormatWithSeparators(MAX_PIECE_COUNT) +
                          " pieces.\nPlease increase the size of the pieces to reduce the total "
                          "number of pieces.");
        return false;
    }

    // An empty file has no piece for a recovery piece to stand in for.
    job.addRecoveryPiece = host.addRecoveryPiece() && job.pieceCount > 0;
    if (job.addRecoveryPiece && !PrepareRecovery(host, job, resources)) return false;

    host.setSplitControls(false);
    if (!resources.source.open(job.filePath.c_str(), RawFile::ForReading)) {
        FailJob(host, FileCannotBeCopiedText(job.filePath));
        return false;
    }
    return true;
}

// Waits until the piece fits; false ends the job (its message already shown).
bool MakeRoomForPiece(SplitHost& host, const SplitJob& job, int64_t pieceBytes)
{
    if (waitForRoom(host, job.piecesFolder, pieceBytes, job.onRemovableDrive)) return true;
    EndJob(host, false, "");
    return false;
}

void ShowProgress(SplitHost& host, int64_t bytesCopied, int64_t fileSize)
{
    int percent = (int)(bytesCopied * 100 / fileSize);
    waitWhilePaused();  // the percentage stands still while Cancel is being asked
    host.setProgress(percent);
    char text[32];
    snprintf(text, sizeof text, "  %d%%", percent);
    host.setStatusText(text);
    host.pumpMessages();
}

enum class CopyResult { Done, Failed };

size_t LargestChunk(const SplitJob& job)
{
    return job.onRemovableDrive ? REMOVABLE_CHUNK_SIZE : COPY_BUFFER_SIZE;
}

// Copies the next pieceBytes bytes of the source into the open piece; with
// a recovery piece they go into its buffer as `fold` says.
CopyResult CopyIntoPiece(SplitHost& host, const SplitJob& job, JobResources& resources,
                         int64_t pieceBytes, int64_t& bytesCopied, ChecksumThread::Fold fold)
{
    size_t largestChunk = LargestChunk(job);
    ChecksumThread* checksum = resources.checksum ? &*resources.checksum : nullptr;
    if (checksum) checksum->startPiece();
    for (int64_t inPiece = 0; pieceBytes > 0;) {
        size_t chunk = (size_t)std::min<int64_t>(pieceBytes, (int64_t)largestChunk);
        if (!resources.source.readExact(resources.buffer.get(), chunk)) {
            FailJob(host, "An error occurred while reading from the file\n" + Quoted(job.filePath));
            return CopyResult::Failed;
        }
        // The checksums and the recovery piece are taken from the chunk being
        // written: the file is read once.
        unsigned char* recovery = resources.recovery ? resources.recovery.get() + inPiece : nullptr;
        inPiece += (int64_t)chunk;
        if (!WriteTakingChecksum(resources.piece, resources.buffer.get(), chunk, checksum, recovery,
                                 fold)) {
            FailJob(host, "An error occurred while writing to the file\n" +
                              Quoted(resources.piece.path()));
            return CopyResult::Failed;
        }
        bytesCopied += (int64_t)chunk;
        ShowProgress(host, bytesCopied, job.fileSize);
        pieceBytes -= (int64_t)chunk;
        if (cancelCheckpoint()) break;
    }
    if (checksum && job.pieceCount <= MAX_LISTED_PIECES) {
        size_t end = resources.pieceChecksums.size();
        resources.pieceChecksums.resize(end + 4);
        PutLittleEndian32(&resources.pieceChecksums[end], checksum->pieceChecksum());
    }
    return CopyResult::Done;
}

// Opens the piece for writing; false when the job has been ended. Most pieces
// are new: creating one outright looks its name up once, and only a name that
// is taken goes through the overwrite question.
bool CreatePiece(SplitHost& host, JobResources& resources, const char* piecePath, bool pathFits)
{
    // A path too long for its buffer is never offered for overwriting or created.
    if (pathFits && resources.piece.open(piecePath, RawFile::ForNewFile)) return true;
    if (pathFits && !mayReplaceFile(host, piecePath)) {
        EndJob(host, false, "");
        return false;
    }
    if (!pathFits || !resources.piece.open(piecePath, RawFile::ForWriting)) {
        FailJob(host, "Unable to create the file " + Quoted(piecePath));
        return false;
    }
    return true;
}

// One piece: disk, room, overwrite question, create, copy. False when the job
// has been ended.
bool WritePiece(SplitHost& host, const SplitJob& job, JobResources& resources,
                int32_t pieceNumber, int64_t remaining, int64_t& bytesCopied)
{
    // Formed whole, so that a path too long for a path buffer is refused by
    // its full name: cut short, it may name another file.
    char piecePath[2 * MAX_TEXT + DECIMAL_SIZE];
    PieceFileName(piecePath, sizeof piecePath, job.piecesFolder.c_str(),
                  FileNamePart(job.filePath.c_str()), pieceNumber, (int32_t)job.pieceCount);
    bool pathFits = strlen(piecePath) < MAX_TEXT;
    if (job.onRemovableDrive && !askForDisk(host, pieceNumber, DriveName(job.piecesFolder))) {
        EndJob(host, false, "");
        return false;
    }
    int64_t pieceBytes = std::min(remaining, job.pieceSize);
    if (!MakeRoomForPiece(host, job, pieceBytes)) return false;
    if (!CreatePiece(host, resources, piecePath, pathFits)) return false;
    ChecksumThread::Fold fold =
        pieceNumber == 1 ? ChecksumThread::COPY_INTO : ChecksumThread::XOR_INTO;
    if (!cancelCheckpoint() &&
        CopyIntoPiece(host, job, resources, pieceBytes, bytesCopied, fold) == CopyResult::Failed)
        return false;
    resources.piece.close();
    return true;
}

// <file name>.recovery after the last piece, on a removable drive on a disk
// of its own, asked for, made room for and replaced as a piece is. False
// when the job has been ended.
bool WriteRecoveryPiece(SplitHost& host, const SplitJob& job, JobResources& resources,
                        uint32_t fileChecksum)
{
    std::string name = FileNamePart(job.filePath);
    RecoveryRecord record = {(int32_t)job.pieceCount, job.fileSize, job.pieceSize, fileChecksum,
                             Crc32Update(0, resources.recovery.get(), (size_t)job.pieceSize),
                             resources.pieceChecksums.data(), name.c_str(), name.size()};
    std::vector<unsigned char> head(RecoveryRecordSize(record.pieceCount, name.size()));
    WriteRecoveryRecord(record, head.data());
    std::string path = job.piecesFolder + RecoveryPieceName(job.filePath);
    if (job.onRemovableDrive &&
        !askForDisk(host, job.pieceCount + 1, DriveName(job.piecesFolder))) {
        EndJob(host, false, "");
        return false;
    }
    if (!MakeRoomForPiece(host, job, (int64_t)head.size() + job.pieceSize) ||
        !CreatePiece(host, resources, path.c_str(), path.size() < MAX_TEXT))
        return false;
    bool written = resources.piece.writeExact(head.data(), head.size());
    for (int64_t at = 0; written && at < job.pieceSize && !cancelCheckpoint();) {
        size_t chunk = (size_t)std::min<int64_t>(job.pieceSize - at, (int64_t)LargestChunk(job));
        written = resources.piece.writeExact(resources.recovery.get() + at, chunk);
        at += (int64_t)chunk;
        host.pumpMessages();
    }
    if (!written) {
        FailJob(host, "An error occurred while writing to the file\n" + Quoted(path));
        return false;
    }
    resources.piece.close();
    return true;
}

void FinishJob(SplitHost& host, const SplitJob& job, JobResources& resources)
{
    std::optional<uint32_t> checksum;
    if (resources.checksum) checksum = resources.checksum->checksum();
    resources.checksum.reset();
    resources.source.close();
    resources.buffer.reset();
    if (cancelCheckpoint()) {
        EndJob(host, false, "");
        return;
    }
    // Not cancelled: every byte of the file went into the checksums.
    bool recoveryWritten = job.addRecoveryPiece;
    if (recoveryWritten && !WriteRecoveryPiece(host, job, resources, checksum.value_or(0))) return;
    resources.recovery.reset();
    if (cancelCheckpoint()) {
        EndJob(host, false, "");
        return;
    }
    if (!job.takeChecksum) checksum.reset();
    // Whatever the writer could not do, it has said (or, without a
    // template, says nothing): the job ends without the report.
    bool written = WriteCombinerProgram(host, job.filePath, job.piecesFolder,
                                        (int32_t)job.pieceCount, job.fileSize, checksum,
                                        resources.pieceChecksums,
                                        (int32_t)job.pieceCount + (recoveryWritten ? 1 : 0)) ==
                   CombinerWriteResult::Written;
    EndJob(host, written && !cancelCheckpoint(), job.filePath, recoveryWritten);
}

void writePieces(SplitHost& host, const SplitJob& job, JobResources& resources)
{
    host.setStatusText("  0%");
    host.pumpMessages();
    splitInProgress = true;

    int64_t remaining = job.fileSize;
    int32_t pieceNumber = 1;
    int64_t bytesCopied = 0;
    if (job.takeChecksum || job.addRecoveryPiece) resources.checksum.emplace();
    if (job.pieceCount <= MAX_LISTED_PIECES) resources.pieceChecksums.reserve(4 * (size_t)job.pieceCount);
    bool cancelled = cancelCheckpoint();
    while (!cancelled && remaining > 0) {
        if (!WritePiece(host, job, resources, pieceNumber, remaining, bytesCopied)) return;
        remaining -= job.pieceSize;
        ++pieceNumber;
        cancelled = cancelCheckpoint();
    }
    FinishJob(host, job, resources);
}

}  // namespace

void runSplitJob(SplitHost& host, bool takeChecksum)
{
    SplitJob job;
    job.takeChecksum = takeChecksum;
    JobResources resources;
    if (prepareSplitJob(host, job, resources)) writePieces(host, job, resources);
}

std::string RecoveryPieceName(const std::string& filePath)
{
    return FileNamePart(filePath) + ".recovery";
}

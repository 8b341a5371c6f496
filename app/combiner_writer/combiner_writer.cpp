#include "combiner_writer.h"

#include <stdio.h>

#include <algorithm>

#include <vector>

#include "combiner_parameters.h"
#include "file_system.h"
#include "message_box.h"
#include "path_text_string.h"
#include "template_slots.h"

namespace {

// Waits until the folder has room for the program; false when the job must stop.
bool MakeRoomForProgram(CombinerWriterHost& host, const std::string& piecesFolder, int32_t lastDisk,
                        int64_t reserve)
{
    bool removable = isRemovableDrive(RootOfPath(piecesFolder).c_str());
    // The last disk is too full: ask for the one after it, once.
    if (removable && getFreeSpace(piecesFolder.c_str()) < reserve &&
        !askForDisk(host, (int64_t)lastDisk + 1, DriveName(piecesFolder)))
        return false;
    return waitForRoom(host, piecesFolder, reserve, removable);
}

// The whole program in one write; false unless it was created, written and closed.
bool WriteProgramFile(const std::string& path, const std::vector<unsigned char>& image)
{
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) return false;
    bool written = fwrite(image.data(), 1, image.size(), file) == image.size();
    bool closed = fclose(file) == 0;
    if (written && closed) return true;
    // A program cut short (a full disk) must not be left to be run. Once
    // fopen succeeded the file holds only what was written here: removing it
    // takes nothing that was there before.
    remove(path.c_str());
    return false;
}

bool PatchedTemplate(CombinerWriterHost& host, const CombinerParameters& parameters,
                     std::vector<unsigned char>& image)
{
    CombinerSlots slots;
    return host.loadCombinerTemplate(image) &&
           FindCombinerSlots(image.data(), image.size(), slots) &&
           PatchCombinerParameters(image, slots, parameters);
}

}  // namespace

CombinerWriteResult WriteCombinerProgram(CombinerWriterHost& host, const std::string& sourcePath,
                                         const std::string& piecesFolder, int32_t pieceCount,
                                         int64_t fileSize, std::optional<uint32_t> checksum,
                                         const std::vector<unsigned char>& pieceChecksums,
                                         int32_t lastDisk)
{
    CombinerParameters parameters;
    parameters.fileName = FileNamePart(sourcePath);
    parameters.pieceCount = pieceCount;
    parameters.fileSize = fileSize;
    parameters.checksum = checksum;
    if (lastDisk == 0) lastDisk = pieceCount;
    // A private copy of the template, patched for this job alone.
    std::vector<unsigned char> image;
    if (!PatchedTemplate(host, parameters, image)) return CombinerWriteResult::TemplateUnavailable;
    AppendPieceList(image, pieceChecksums);

    std::string programPath = piecesFolder + CombinerProgramName(sourcePath);
    if (!mayReplaceFile(host, programPath)) return CombinerWriteResult::JobStopped;
    int64_t reserve = std::max<int64_t>(COMBINER_RESERVE, (int64_t)image.size());
    if (!MakeRoomForProgram(host, piecesFolder, lastDisk, reserve))
        return CombinerWriteResult::JobStopped;
    if (!WriteProgramFile(programPath, image)) {
        host.messageBox("Unable to create the file \"" + programPath + "\"", box::INFORMATION);
        return CombinerWriteResult::JobStopped;
    }
    return CombinerWriteResult::Written;
}

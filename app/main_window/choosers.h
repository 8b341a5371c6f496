// The file and folder choosers, files dropped on the file box, and the
// folder box's default from a chosen file.
#pragma once

#include <string>

struct HWND__;

// The open-file dialog "File to split"; a confirmed file goes into the file box.
void ChooseFile(HWND__* dialog);
// The folder browser "Select a folder for the pieces."; a confirmed
// file-system folder goes into the folder box.
void ChooseFolder(HWND__* dialog);

// Makes the file box take dropped files: replaces its window procedure with
// the drop handler, which passes every other message to the previous one.
void InstallDropHandler(HWND__* fileBox);

// An empty folder box (blanks count as text) receives the folder of the file:
// of `path`, or of the file box's text when `path` is null.
void DefaultFolderFromFile(HWND__* dialog, const std::string* path);

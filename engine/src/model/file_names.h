// The model folder and the names of files derived from it.
#pragma once

#include <string>
#include <string_view>

namespace tesmira {

// The model's folder with a trailing "/" appended when it has none (a drive
// "X:" and an empty folder are kept as they are).
std::string ModelFolderText();
// The extension of file kind 1..27 (".SAM", ".120" ...), empty otherwise.
std::string FileKindExtensionText(int kind);
// Folder + base name + extension; false (out empty) beyond 255 characters.
bool DerivedFileNameText(std::string_view baseName, int kind, std::string& out);
// The text before the first ".".
std::string_view BaseNameOf(std::string_view name);
bool IsNameCharacter(char c);
// Splits a full name into the model record's folder (with its separator,
// written with "/") and file name; false when a part exceeds 255 characters.
bool SetModelFileNameText(std::string_view fullName);

}  // namespace tesmira

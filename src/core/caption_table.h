#pragma once
// The captions of the desktop's menus, buttons and labels in the chosen language. The desktop
// writes its captions in English in the code; a language other than English gives each its
// wording in a captions file ("french_captions.txt" beside "french.lng"), which the language
// change copies to "captions.dat" as it copies the language file to "language.dat". Fixed for
// the whole run, like the Language table.
//
// Line form: the English caption exactly as the code writes it (with its "&" for the shortcut
// key and its "%1" places), a TAB, the caption in the chosen language. Text in Windows-1252, as
// the language files; "\n" stands for a line break. Lines without a TAB, and lines starting
// with "#", are comments.

#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>

namespace olvar::core {

struct ProgramFolders;

class CaptionTable {
 public:
  // The caption in the chosen language, or nullptr where the captions file gives none (the
  // English caption is then shown).
  const std::string* find(std::string_view english) const;
  bool empty() const { return captions_.empty(); }
  std::size_t size() const { return captions_.size(); }

  // An empty translation, and a second line for the same English caption, are ignored: the
  // first non-empty wording counts.
  void read(std::string_view content);

  // "captions.dat" in the writable folder, else in the program folder; none gives the English
  // captions.
  static CaptionTable load(const ProgramFolders& folders);

 private:
  std::unordered_map<std::string, std::string> captions_;
};

// The captions file that goes with a language file: "french.lng" -> "french_captions.txt".
std::string captions_file_for(std::string_view language_file);

}  // namespace olvar::core

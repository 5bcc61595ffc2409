// Settings files in the profile format: "[section]" lines opening sections and "key=value"
// lines. Writing keeps the file's own order: a key that exists is replaced where it stands, a new
// key goes to the end of its section and a new section to the end of the file. The file is CP932
// text with CR LF line ends; the program sees UTF-8. Values have no length limit. Section and key
// names match without regard to ASCII letter case.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class ProfileFile {
public:
    ProfileFile() = default;
    // Reads the file at path; a missing or unreadable file gives an empty profile.
    explicit ProfileFile(std::string path);

    const std::string &Path() const { return path_; }

    // The value of key in section (blanks around it removed), or nothing when the key is missing.
    std::optional<std::string> Get(std::string_view section, std::string_view key) const;
    std::string Get(std::string_view section, std::string_view key, std::string_view fallback) const;

    // Sets key in section to value, keeping the order described above.
    void Set(std::string_view section, std::string_view key, std::string_view value);

    // The whole file as it would be written (UTF-8, CR LF).
    std::string Text() const;

    // Writes the file whole and renames it into place; false (with a reason) when that failed.
    bool Save(std::string *error = nullptr) const;

private:
    // Index of the section's header line, or -1.
    int FindSection(std::string_view section) const;
    // Index of the key's line inside the section starting at header, or -1.
    int FindKey(int header, std::string_view key) const;
    // Index just past the section's last key line.
    int SectionInsertPoint(int header) const;

    std::string path_;
    std::vector<std::string> lines_;
};

// One-call forms for callers that touch a single key: read the file, or read, change and write it.
std::string ReadProfileString(std::string_view section, std::string_view key, std::string_view fallback,
                              const std::string &path);
bool WriteProfileString(std::string_view section, std::string_view key, std::string_view value,
                        const std::string &path);

}  // namespace platform

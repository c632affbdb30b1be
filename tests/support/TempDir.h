// A fresh folder under the system's temporary folder, removed with everything in it, and
// whole-file helpers. File contents go through the engine's file seam, which takes names as the
// programs do (code page 932 on Windows); folders, listings and times through std::filesystem,
// which MinGW reads as UTF-8: there those names stay ASCII.
#ifndef SONORM_TESTS_TEMPDIR_H
#define SONORM_TESTS_TEMPDIR_H

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return root; }
    std::string path(const std::string& name) const; // the folder joined with name, as bytes
    // Writes the file or creates the folder (whose parent exists) name; its path.
    std::string write(const std::string& name, const std::string& bytes) const;
    std::string folder(const std::string& name) const;
    // A sparse file holding the pieces at their offsets, ending with the last one.
    using SparsePieces = std::vector<std::pair<std::uint64_t, std::string>>;
    std::string writesparse(const std::string& name, const SparsePieces& pieces) const;
    // Names in the folder name (the root when empty), sorted.
    std::vector<std::string> list(const std::string& name = std::string()) const;

private:
    std::string root;
};

std::string readfile(const std::string& file);
bool fileexists(const std::string& file);
std::int64_t modtime(const std::string& file);
// Sets the modification time to backdatedtime(), a whole second long past.
void backdate(const std::string& file);
std::int64_t backdatedtime();

#endif

#pragma once
#include <filesystem>
#include <fstream>
#include <ios>

/// Opens `path` for reading (`mode` is added to std::ios::in) when it names a regular file,
/// following symbolic links. Anything else (missing, a named pipe, a socket, a device, a folder)
/// is never opened and gives a stream in the failed state: opening a named pipe waits for a
/// writer that may never come, and a device can be read without end. Every file the program
/// reads is opened here.
std::ifstream OpenRegularFile(const std::filesystem::path& path,
                              std::ios::openmode mode = std::ios::in);

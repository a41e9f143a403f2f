#pragma once
#include <cstdint>

#include "support/desc_file_writer.h"

/// A small description with every section filled and with blocks in both interface languages
/// (and one in a third), written at `version`: the fixture for round trips, truncation tests and
/// fuzz seeds. Types -1 and 42; band names "B0" to "B49"; English models "E-1" and "E-2", the
/// Russian model "Р-1".
DescFileContent FullDescContent(uint32_t version);

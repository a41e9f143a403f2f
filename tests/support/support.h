#pragma once
// Test support library: description-file writer and test adapter. Include the individual headers.

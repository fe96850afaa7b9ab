#pragma once

// The operating system this build runs on, for logs and tools.
const char* Platform_Name();

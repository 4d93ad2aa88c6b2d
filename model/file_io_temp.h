#pragma once
// Shared by the platform writers of file_io.h: a number that tells the
// temporary files of concurrent saves in one process apart (the process id in
// the name tells processes apart). Any thread.

namespace vk47 {

unsigned long NextTempNumber();

}  // namespace vk47

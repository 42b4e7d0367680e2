#pragma once

#include <windows.h>

#include <filesystem>
#include <string>

// What a stand-in DLL knows about itself: its folder, and how many of its
// objects (and class factory locks) are alive.
namespace standin::com::module {

// A server lock counts as an object.
void AddObject();
void RemoveObject();
bool CanUnload();

// The folder that holds this DLL.
std::filesystem::path Directory();

// "Session#3": the type and a number counted per type in this DLL.
std::string NextObjectId(const std::string& type);

}  // namespace standin::com::module

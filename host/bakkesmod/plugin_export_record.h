#pragma once

#include <cstddef>
#include <cstdint>

#include "bakkesmod/api.h"

// What a module tells the host about itself: the first thing the host reads after opening it.
// The host refuses a module whose hostApiVersion is not its own.
struct PluginExportRecord {
    std::int32_t hostApiVersion;
    const char* sourcePath;
    const char* typeName;
    const char* displayName;
    const char* versionText;
    std::int32_t pluginKind;
    std::uintptr_t(BAKKESMOD_ENTRY* createEntry)();
    void(BAKKESMOD_ENTRY* deleteEntry)();
};

// The host API version this host speaks.
inline constexpr std::int32_t kHostApiVersion = 73;

#if UINTPTR_MAX == 0xFFFFFFFFu
// The host reads the record field by field: on 32-bit x86 it is eight 4-byte fields.
static_assert(sizeof(PluginExportRecord) == 32);
static_assert(offsetof(PluginExportRecord, hostApiVersion) == 0);
static_assert(offsetof(PluginExportRecord, sourcePath) == 4);
static_assert(offsetof(PluginExportRecord, typeName) == 8);
static_assert(offsetof(PluginExportRecord, displayName) == 12);
static_assert(offsetof(PluginExportRecord, versionText) == 16);
static_assert(offsetof(PluginExportRecord, pluginKind) == 20);
static_assert(offsetof(PluginExportRecord, createEntry) == 24);
static_assert(offsetof(PluginExportRecord, deleteEntry) == 28);
#endif

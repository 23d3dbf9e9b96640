// The program's resources as Windows sees them in a built program: this
// test program links the same resource object as ktxupgrade.exe.

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "dialog_template_reader.h"

#include "firmware/shared_texts.h"
#include "ui/resources/resources.h"

namespace {

constexpr WORD kChinesePrc = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);  // 0x0804
static_assert(kChinesePrc == 0x0804, "language id");

HMODULE Self() { return GetModuleHandleA(nullptr); }

// The bytes of one resource in the language all resources carry.
std::vector<BYTE> ResourceBytes(LPCSTR type, LPCSTR name) {
    HRSRC found = FindResourceExA(Self(), type, name, kChinesePrc);
    if (found == nullptr) return {};
    HGLOBAL loaded = LoadResource(Self(), found);
    const BYTE* data = static_cast<const BYTE*>(LockResource(loaded));
    return std::vector<BYTE>(data, data + SizeofResource(Self(), found));
}

TEST(Resources, StringTableHoldsTheThreeTextsExactly) {
    const struct {
        UINT id;
        const char* text;
        std::size_t length;
    } strings[] = {
        {1, KTX_STRING_RESTART_PROMPT, 143},
        {2, KTX_STRING_CLOSE_APPLICATIONS, 193},
        {3, KTX_TEXT_UPGRADE_WARNING, 267},
    };
    for (const auto& s : strings) {
        char buffer[1024] = {};
        const int length = LoadStringA(Self(), s.id, buffer, sizeof buffer);
        EXPECT_EQ(static_cast<std::size_t>(length), s.length) << "string " << s.id;
        EXPECT_EQ(std::string(buffer), s.text) << "string " << s.id;
    }
    char buffer[16];
    EXPECT_EQ(LoadStringA(Self(), 4, buffer, sizeof buffer), 0);
}

TEST(Resources, DialogTemplateIsTheMainDialogLayout) {
    const std::vector<BYTE> bytes = ResourceBytes(RT_DIALOG, MAKEINTRESOURCEA(102));
    ASSERT_FALSE(bytes.empty()) << "no dialog 102 in language 0x0804";
    DialogTemplate dialog;
    std::string error;
    ASSERT_TRUE(ReadDialogTemplateEx(bytes.data(), bytes.size(), dialog, error)) << error;

    EXPECT_EQ(dialog.style, static_cast<DWORD>(DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_VISIBLE | WS_CAPTION |
                                                WS_SYSMENU));
    EXPECT_EQ(dialog.style, 0x90C800C0u);
    EXPECT_EQ(dialog.exStyle, static_cast<DWORD>(WS_EX_APPWINDOW));
    EXPECT_EQ(dialog.helpId, 0u);
    EXPECT_EQ((std::vector<int>{dialog.x, dialog.y, dialog.cx, dialog.cy}), (std::vector<int>{0, 0, 266, 73}));
    EXPECT_TRUE(dialog.menu.empty());
    EXPECT_TRUE(dialog.windowClass.empty());
    EXPECT_EQ(dialog.title, "Tavrine KTX7724R05 Upgrade to P1.3 Tool");
    EXPECT_EQ(dialog.pointSize, 8);
    EXPECT_EQ(dialog.weight, 0);
    EXPECT_EQ(dialog.italic, 0);
    EXPECT_EQ(dialog.charset, 0);
    EXPECT_EQ(dialog.typeface, "MS Sans Serif");

    // Ordinal classes 0x80 button, 0x81 edit, 0x85 combo box.
    const DWORD child = WS_CHILD;
    const std::vector<DialogItem> expected = {
        {1000, "#133", "", 7, 6, 178, 56, child | WS_VISIBLE | CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP},
        {1002, "#129", "", 7, 22, 163, 14, child | WS_DISABLED | WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP},
        {1014, "#128", "...", 172, 22, 13, 14, child | BS_PUSHBUTTON | WS_TABSTOP},
        {1009, "#128", "Save", 190, 6, 66, 14, child | BS_PUSHBUTTON | WS_TABSTOP},
        {1010, "#128", "Upgrade to P1.3", 190, 22, 67, 14, child | WS_VISIBLE | BS_PUSHBUTTON | WS_TABSTOP},
        {1011, "#128", "Exit", 190, 45, 65, 14, child | WS_VISIBLE | BS_PUSHBUTTON | WS_TABSTOP},
        {1004, "#129", "", 7, 38, 178, 21,
         child | WS_VISIBLE | WS_DISABLED | ES_MULTILINE | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP},
        {1001, "MSCTLS_PROGRESS32", "Progress1", 7, 60, 247, 7, child | WS_VISIBLE | WS_BORDER},
    };
    ASSERT_EQ(dialog.items.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const DialogItem& want = expected[i];
        const DialogItem& got = dialog.items[i];
        SCOPED_TRACE("item " + std::to_string(i) + " id " + std::to_string(want.id));
        EXPECT_EQ(got.id, want.id);
        // Class names compare without regard to case, as Windows compares them.
        EXPECT_EQ(CharUpperString(got.windowClass), CharUpperString(want.windowClass));
        EXPECT_EQ(got.title, want.title);
        EXPECT_EQ((std::vector<int>{got.x, got.y, got.cx, got.cy}),
                  (std::vector<int>{want.x, want.y, want.cx, want.cy}));
        EXPECT_EQ(got.style, want.style) << std::hex << got.style << " vs " << want.style;
        EXPECT_EQ(got.exStyle, 0u);
        EXPECT_EQ(got.helpId, 0u);
        EXPECT_EQ(got.extraCount, 0);
    }
    // No push button is the default one.
    for (const DialogItem& item : dialog.items) {
        if (item.windowClass == "#128") {
            EXPECT_EQ(item.style & 0x0F, static_cast<DWORD>(BS_PUSHBUTTON)) << item.id;
        }
    }
}

TEST(Resources, IconGroupHoldsA32AndA16PixelImageIn16Colours) {
    const std::vector<BYTE> group = ResourceBytes(RT_GROUP_ICON, MAKEINTRESOURCEA(154));
    // GRPICONDIR: reserved, type 1, count; then 14-byte entries.
    ASSERT_EQ(group.size(), 6u + 2 * 14u);
    auto word = [&](std::size_t at) { return static_cast<int>(group[at] | (group[at + 1] << 8)); };
    EXPECT_EQ(word(2), 1);
    ASSERT_EQ(word(4), 2);
    const int sizes[] = {32, 16};
    for (int i = 0; i < 2; ++i) {
        const std::size_t entry = 6 + 14 * static_cast<std::size_t>(i);
        SCOPED_TRACE(sizes[i]);
        EXPECT_EQ(group[entry], sizes[i]);      // width
        EXPECT_EQ(group[entry + 1], sizes[i]);  // height
        EXPECT_EQ(group[entry + 2], 16);        // colours
        EXPECT_EQ(word(entry + 4), 1);          // planes
        EXPECT_EQ(word(entry + 6), 4);          // bits per pixel
        EXPECT_EQ(word(entry + 12), i + 1);     // icon resources 1 and 2
        EXPECT_FALSE(ResourceBytes(RT_ICON, MAKEINTRESOURCEA(i + 1)).empty());

        HICON icon = static_cast<HICON>(
            LoadImageA(Self(), MAKEINTRESOURCEA(154), IMAGE_ICON, sizes[i], sizes[i], LR_DEFAULTCOLOR));
        ASSERT_NE(icon, nullptr);
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP mask{};
        GetObjectA(info.hbmMask, sizeof mask, &mask);
        EXPECT_EQ(mask.bmWidth, sizes[i]);
        if (info.hbmColor) DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

TEST(Resources, VersionRecordIs1001PrivateBuildWithoutStringInformation) {
    char path[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameA(nullptr, path, MAX_PATH), 0u);
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &handle);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedLength = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &fixedLength));
    ASSERT_EQ(fixedLength, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwFileFlagsMask, 0x3Fu);
    EXPECT_EQ(fixed->dwFileFlags, static_cast<DWORD>(VS_FF_PRIVATEBUILD));
    EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
    EXPECT_EQ(fixed->dwFileSubtype, 0u);

    // The record ends after the fixed part: header (6 bytes), the key
    // "VS_VERSION_INFO" (32 bytes), padding (2), fixed part (52). No
    // StringFileInfo or VarFileInfo child follows.
    const std::vector<BYTE> raw = ResourceBytes(RT_VERSION, MAKEINTRESOURCEA(1));
    ASSERT_GE(raw.size(), 2u);
    EXPECT_EQ(raw[0] | (raw[1] << 8), 92);
}

struct FoundResource {
    std::string type;
    std::string name;
    WORD language;
};

std::string ResourceIdText(LPCSTR id) {
    return IS_INTRESOURCE(id) ? "#" + std::to_string(reinterpret_cast<ULONG_PTR>(id)) : std::string(id);
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR type, LPCSTR name, WORD language, LONG_PTR found) {
    reinterpret_cast<std::vector<FoundResource>*>(found)->push_back(
        {ResourceIdText(type), ResourceIdText(name), language});
    return TRUE;
}

BOOL CALLBACK CollectName(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR found) {
    EnumResourceLanguagesA(module, type, name, CollectLanguage, found);
    return TRUE;
}

BOOL CALLBACK CollectType(HMODULE module, LPSTR type, LONG_PTR found) {
    EnumResourceNamesA(module, type, CollectName, found);
    return TRUE;
}

TEST(Resources, EveryResourceCarriesLanguage0804) {
    std::vector<FoundResource> found;
    EnumResourceTypesA(Self(), CollectType, reinterpret_cast<LONG_PTR>(&found));
    std::multiset<std::string> kinds;
    for (const FoundResource& r : found) {
        EXPECT_EQ(r.language, kChinesePrc) << r.type << " " << r.name;
        kinds.insert(r.type + "/" + r.name);
    }
    const std::multiset<std::string> expected = {
        "#5/#102",             // dialog
        "#6/#1",               // strings 0..15
        "#14/#154",            // icon group
        "#3/#1",  "#3/#2",     // its two images
        "#16/#1",              // version record
        "#24/#1",              // manifest
    };
    EXPECT_EQ(kinds, expected);
}

TEST(Resources, ManifestAsksForAdministratorAndNamesTheSupportedSystems) {
    const std::vector<BYTE> bytes = ResourceBytes(MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1));
    const std::string manifest(bytes.begin(), bytes.end());
    EXPECT_NE(manifest.find("<requestedExecutionLevel level=\"requireAdministrator\" uiAccess=\"false\"/>"),
              std::string::npos);
    for (const char* id : {"{e2011457-1546-43c5-a5fe-008deee3d3f0}", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
                           "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
                           "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}) {
        EXPECT_NE(manifest.find(id), std::string::npos) << id;
    }
#ifdef _WIN64
    const char* architecture = "processorArchitecture=\"amd64\"";
#else
    const char* architecture = "processorArchitecture=\"x86\"";
#endif
    EXPECT_NE(manifest.find(architecture), std::string::npos);
}

TEST(Resources, LoaderActivatesTheManifestsCommonControls) {
    // The manifest is read from the resource, language 0x0804 and all: the
    // common controls in use are the side-by-side version 6 assembly, not
    // the system directory's library.
    InitCommonControls();
    HMODULE library = GetModuleHandleA("comctl32.dll");
    ASSERT_NE(library, nullptr);
    char path[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameA(library, path, MAX_PATH), 0u);
    std::string loaded = CharUpperString(path);
    EXPECT_NE(loaded.find("MICROSOFT.WINDOWS.COMMON-CONTROLS_6595B64144CCF1DF_6."), std::string::npos) << path;
}

}  // namespace

#include "install/main_file_lists.h"

#include "vendor_host.h"

#define VD_URL(path) L"http://" VALDORINE_VENDOR_HOST L"/download/devureruzir/" path

namespace install {
namespace {

// Served libraries carry ".dlk"; only this list stores them as ".dll".
constexpr const wchar_t* kMainFiles[] = {
    // main/dll: three outside libraries, the product's components, two more.
    VD_URL(L"main/dll/codecbase.dlk"),
    VD_URL(L"main/dll/imgcore.dlk"),
    VD_URL(L"main/dll/textlayout.dlk"),
    VD_URL(L"main/dll/vdArchive.dlk"),
    VD_URL(L"main/dll/vdAudio.dlk"),
    VD_URL(L"main/dll/vdBrowser.dlk"),
    VD_URL(L"main/dll/vdCatalog.dlk"),
    VD_URL(L"main/dll/vdClipboard.dlk"),
    VD_URL(L"main/dll/vdColor.dlk"),
    VD_URL(L"main/dll/vdCompare.dlk"),
    VD_URL(L"main/dll/vdConvert.dlk"),
    VD_URL(L"main/dll/vdDisk.dlk"),
    VD_URL(L"main/dll/vdDisplay.dlk"),
    VD_URL(L"main/dll/vdEbook.dlk"),
    VD_URL(L"main/dll/vdExif.dlk"),
    VD_URL(L"main/dll/vdExplorer.dlk"),
    VD_URL(L"main/dll/vdFilter.dlk"),
    VD_URL(L"main/dll/vdFont.dlk"),
    VD_URL(L"main/dll/vdHash.dlk"),
    VD_URL(L"main/dll/vdHex.dlk"),
    VD_URL(L"main/dll/vdIcons.dlk"),
    VD_URL(L"main/dll/vdImage.dlk"),
    VD_URL(L"main/dll/vdLayout.dlk"),
    VD_URL(L"main/dll/vdMedia.dlk"),
    VD_URL(L"main/dll/vdMeta.dlk"),
    VD_URL(L"main/dll/vdPages.dlk"),
    VD_URL(L"main/dll/vdPreview.dlk"),
    VD_URL(L"main/dll/vdPrint.dlk"),
    VD_URL(L"main/dll/vdRename.dlk"),
    VD_URL(L"main/dll/vdSearch.dlk"),
    VD_URL(L"main/dll/vdShell.dlk"),
    VD_URL(L"main/dll/vdSlide.dlk"),
    VD_URL(L"main/dll/vdSplit.dlk"),
    VD_URL(L"main/dll/vdTabs.dlk"),
    VD_URL(L"main/dll/vdText.dlk"),
    VD_URL(L"main/dll/vdThumbs.dlk"),
    VD_URL(L"main/dll/vdTree.dlk"),
    VD_URL(L"main/dll/vdVideo.dlk"),
    VD_URL(L"main/dll/lcms2.dlk"),
    VD_URL(L"main/dll/openjp2.dlk"),
    // main/exe: outside tools, the product's programs, the uninstaller last.
    VD_URL(L"main/exe/bifsconv.exe"),
    VD_URL(L"main/exe/exiftool.exe"),
    VD_URL(L"main/exe/ffmpeg.exe"),
    VD_URL(L"main/exe/vdArchiver.exe"),
    VD_URL(L"main/exe/vdBatch.exe"),
    VD_URL(L"main/exe/vdCapture.exe"),
    VD_URL(L"main/exe/vdCatalog.exe"),
    VD_URL(L"main/exe/vdCompare.exe"),
    VD_URL(L"main/exe/vdConvert.exe"),
    VD_URL(L"main/exe/vdDiskView.exe"),
    VD_URL(L"main/exe/vdHexView.exe"),
    VD_URL(L"main/exe/vdImageEdit.exe"),
    VD_URL(L"main/exe/vdMediaInfo.exe"),
    VD_URL(L"main/exe/vdPlayer.exe"),
    VD_URL(L"main/exe/vdPrintJob.exe"),
    VD_URL(L"main/exe/vdRenamer.exe"),
    VD_URL(L"main/exe/vdSearch.exe"),
    VD_URL(L"main/exe/vdSlideShow.exe"),
    VD_URL(L"main/exe/vdSplitter.exe"),
    VD_URL(L"main/exe/DevureruzIR.exe"),
    VD_URL(L"main/exe/vdTextView.exe"),
    VD_URL(L"main/exe/vdThumbGen.exe"),
    VD_URL(L"main/exe/vdUpdate.exe"),
    VD_URL(L"main/exe/vdVolume.exe"),
    VD_URL(L"main/exe/vdZoom.exe"),
    VD_URL(L"main/exe/vdformats.dat"),
    VD_URL(L"main/exe/mplayer.exe"),
    VD_URL(L"main/exe/uninstall_valdorine.exe"),
    // main/divers.
    VD_URL(L"main/divers/cpmdisks.def"),
    VD_URL(L"main/divers/vdsignatures.bin"),
    L"end",
};

// The same components in the same order in both languages.
constexpr const wchar_t* kEnglishFiles[] = {
    VD_URL(L"main/langues/0001/vdBrowser_0001.dlk"),
    VD_URL(L"main/langues/0001/vdCatalog_0001.dlk"),
    VD_URL(L"main/langues/0001/vdConvert_0001.dlk"),
    VD_URL(L"main/langues/0001/vdDisplay_0001.dlk"),
    VD_URL(L"main/langues/0001/vdExplorer_0001.dlk"),
    VD_URL(L"main/langues/0001/vdImage_0001.dlk"),
    VD_URL(L"main/langues/0001/vdMedia_0001.dlk"),
    VD_URL(L"main/langues/0001/vdPrint_0001.dlk"),
    VD_URL(L"main/langues/0001/vdSearch_0001.dlk"),
    VD_URL(L"main/langues/0001/vdTabs_0001.dlk"),
    VD_URL(L"main/langues/0001/vdText_0001.dlk"),
    L"end",
};

constexpr const wchar_t* kFrenchFiles[] = {
    VD_URL(L"main/langues/0033/vdBrowser_0033.dlk"),
    VD_URL(L"main/langues/0033/vdCatalog_0033.dlk"),
    VD_URL(L"main/langues/0033/vdConvert_0033.dlk"),
    VD_URL(L"main/langues/0033/vdDisplay_0033.dlk"),
    VD_URL(L"main/langues/0033/vdExplorer_0033.dlk"),
    VD_URL(L"main/langues/0033/vdImage_0033.dlk"),
    VD_URL(L"main/langues/0033/vdMedia_0033.dlk"),
    VD_URL(L"main/langues/0033/vdPrint_0033.dlk"),
    VD_URL(L"main/langues/0033/vdSearch_0033.dlk"),
    VD_URL(L"main/langues/0033/vdTabs_0033.dlk"),
    VD_URL(L"main/langues/0033/vdText_0033.dlk"),
    L"end",
};

constexpr const wchar_t* kSkinFiles[] = {
    VD_URL(L"main/skin/ebook.png"), VD_URL(L"main/skin/files.png"),   VD_URL(L"main/skin/BMB.png"),
    VD_URL(L"main/skin/BMBw.png"),  VD_URL(L"main/skin/BUB.png"),     VD_URL(L"main/skin/BZB.png"),
    VD_URL(L"main/skin/BZBw.png"),  VD_URL(L"main/skin/unknown.bmp"), L"end",
};

constexpr const wchar_t* kLicenceFiles[] = {
    VD_URL(L"main/licences/7zip-license.txt"), VD_URL(L"main/licences/copying.gpl.txt"),
    VD_URL(L"main/licences/fif-license.txt"),  VD_URL(L"main/licences/freeimage-license.txt"),
    VD_URL(L"main/licences/jpeg.txt"),         VD_URL(L"main/licences/png.txt"),
    VD_URL(L"main/licences/zlib.txt"),         L"end",
};

constexpr const wchar_t* kCacheFiles[] = {
    VD_URL(L"main/cache/Valdorine.ini"),
    VD_URL(L"main/cache/ValdorineFormats.xml"),
    L"end",
};

constexpr const wchar_t* kDataFiles[] = {
    VD_URL(L"main/exe/vdcodecs.dat"),
    L"end",
};

constexpr const wchar_t* kPluginFiles[] = {
    VD_URL(L"plugins/Xfpx.dlk"),
    VD_URL(L"plugins/Xwic.dlk"),
    VD_URL(L"plugins/Xwlm.dlk"),
    L"end",
};

constexpr const wchar_t* kImageFiles[] = {
    VD_URL(L"AddOns/Images/colorprofiles.bin"), VD_URL(L"AddOns/Images/vdmasks.dat"),
    VD_URL(L"AddOns/Images/vdfilters.dat"),     VD_URL(L"AddOns/Images/packARC.exe"),
    VD_URL(L"AddOns/Images/packJPG.exe"),       VD_URL(L"AddOns/Images/packJPG-23.exe"),
    VD_URL(L"AddOns/Images/packJPG-25.exe"),    VD_URL(L"AddOns/Images/packPNM.exe"),
    VD_URL(L"AddOns/Images/imagecodecs.dlk"),   VD_URL(L"AddOns/Images/rwz_sdk.dlk"),
    VD_URL(L"AddOns/Images/seq2gif.bin"),       L"end",
};

constexpr const wchar_t* kMaskFiles[] = {
    VD_URL(L"AddOns/Images/Masks/dispositive.gif"),
    L"end",
};

constexpr const wchar_t* kGpsFiles[] = {
    VD_URL(L"AddOns/Text/gpsbabel/gpsbabel.exe"),
    VD_URL(L"AddOns/Text/gpsbabel/Qt5Core.dlk"),
    VD_URL(L"AddOns/Text/gpsbabel/icudt51.dlk"),
    VD_URL(L"AddOns/Text/gpsbabel/icuin51.dlk"),
    VD_URL(L"AddOns/Text/gpsbabel/icuuc51.dlk"),
    VD_URL(L"AddOns/Text/gpsbabel/libstdc++6.dlk"),
    VD_URL(L"AddOns/Text/gpsbabel/libgcc_s_dw2-1.dlk"),
    VD_URL(L"AddOns/Text/gpsbabel/libwinpthread-1.dlk"),
    L"end",
};

constexpr const wchar_t* kMusicFiles[] = {
    VD_URL(L"AddOns/Music/vdTracker.exe"),
    VD_URL(L"AddOns/Music/libg7221_decode.dlk"),
    VD_URL(L"AddOns/Music/zxtune123.exe"),
    L"end",
};

constexpr const wchar_t* kArchiverFiles[] = {
    VD_URL(L"AddOns/Archivers/7z.dlk"),
    VD_URL(L"AddOns/Archivers/7z.exe"),
    VD_URL(L"AddOns/Archivers/vdUnpack.exe"),
    L"end",
};

}  // namespace

const MainList kMainLists[kMainListCount] = {
    {kMainFiles, ListBase::kInstallFolder, L"%s", 1, L"Could not copy the main files. Aborting."},
    {kEnglishFiles, ListBase::kInstallFolder, L"%s\\Language\\0001", 0,
     L"Could not copy the EN language files. Aborting."},
    {kFrenchFiles, ListBase::kInstallFolder, L"%s\\Language\\0033", 0,
     L"Could not copy the FR language files. Aborting."},
    {kSkinFiles, ListBase::kInstallFolder, L"%s\\skin", 0, nullptr},
    {kLicenceFiles, ListBase::kInstallFolder, L"%s\\licences", 0, nullptr},
    {kCacheFiles, ListBase::kCacheFolder, L"%s", 0, nullptr},
    {kDataFiles, ListBase::kInstallFolder, L"%s", 0, nullptr},
    {kPluginFiles, ListBase::kInstallFolder, L"%s\\AddOns\\Images\\plugins", 0, nullptr},
    {kImageFiles, ListBase::kInstallFolder, L"%s\\AddOns\\Images", 0, nullptr},
    {kMaskFiles, ListBase::kInstallFolder, L"%s\\AddOns\\Images\\Masks", 0, nullptr},
    // The gpsbabel files go to AddOns\Text itself, not to its subfolder.
    {kGpsFiles, ListBase::kInstallFolder, L"%s\\AddOns\\Text", 0, nullptr},
    {kMusicFiles, ListBase::kInstallFolder, L"%s\\AddOns\\Music", 0, nullptr},
    {kArchiverFiles, ListBase::kInstallFolder, L"%s\\AddOns\\Archivers", 0, nullptr},
};

const wchar_t* const kMainFolderTree[kMainFolderCount] = {
    L"AddOns",
    L"AddOns/Archivers",
    L"AddOns/Images",
    L"AddOns/Images/Masks",
    L"AddOns/Images/plugins",
    L"AddOns/Music",
    L"AddOns/Text",
    L"AddOns/Text/gpsbabel",
    L"Language",
    L"Language/0001",
    L"Language/0033",
    L"Licences",
    L"Skin",
};

}  // namespace install

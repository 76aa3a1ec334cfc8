#include <gtest/gtest.h>

#include <string>

#include "cp1251.h"
#include "ui_text.h"

namespace {

struct TExpected {
    TTextId Id;
    const char* English;
    const char* Russian;  // UTF-8; nullptr where the text is not replaced
};

// clang-format off
const TExpected kExpected[] = {
    {utTitle, "Tessaron 1.1 Beta by Quennick", nullptr},
    {utPathLabel, "INI directory:", "Директория INI:"},
    {utStart, "Ready!", "Готово!"},
    {utBrowse, "...", "..."},
    {utBrowsePrompt, "Select a root directory", "Выберите директорию для поиска"},
    {utError, "Error", "Ошибка"},
    {utPathMissing, "Path does not exist!", "Папки не существует!"},
    {utPathEmpty, "Specify a path!", "Укажите папку!"},
    {utNoWindow, "Cannot create the windiow!", "Не могу создать окно!"},
    {utHint, "Specify a path and click \"Ready!\"", "Укажите путь для поиска и нажмите \"Готово!\""},
    {utPreparing, "Prepairing...", "Готовлюсь..."},
    {utSearchingFiles, "Searching files...", "Ищу файлы..."},
    {utSearchingImages, "Searching Mapped Images...", "Ищу Mapped Images..."},
    {utComparing, "Comparing lists...", "Сравниваю списки..."},
    {utNoUsed, "No used MI Found! Check \"INI\" folder files", "Не найдены указанные MI! Проверьте файлы папки \"INI\""},
    {utNoDefined, "No defined MI found! Check \"MappedImages\" folder", "Не найдено объявление MI! Проверьте папку \"MappedImages\""},
    {utAllFine, "That's Alright! No missing MI found", "Всё хорошо! Несуществующих MI не найдено"},
    {utDonePrefix, "Done! Missing MI Total: ", "Готово! Найдено несуществующих MI: "},
    {utMissingPrefix, "Missing MI called \"", "Несуществующая MI \""},
    {utInFile, "\" in \"", "\" в \""},
    {utAtLine, "\" at line ", "\", строка "},
    {utDoneSuffix, ". Double click the line brings You to edit position", ". Двойной щелчок по строке в списке должен перенести Вас в место редактирования"},
};
// clang-format on

std::string FirstLine(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

}  // namespace

TEST(UiTexts, StartEnglishAndInstallRussianWindows1251) {
    // The window's texts, byte for byte.
    for (const TExpected& e : kExpected) EXPECT_EQ(UiText[e.Id], e.English) << e.Id;
    EXPECT_EQ(FirstLine(UiText[utUsage]), "usage: tessaron-check [options] ROOT");
    InstallRussianTexts();
    EXPECT_EQ(Utf8FromCp1251(FirstLine(UiText[utUsage])), "использование: tessaron-check [параметры] ROOT");
    for (int id = 0; id < kTextCount; ++id) {
        EXPECT_EQ(UiText[static_cast<TTextId>(id)].find('?'), std::string::npos) << id << ": outside Windows-1251";
    }
    for (const TExpected& e : kExpected) {
        EXPECT_EQ(UiText[e.Id], e.Russian ? Cp1251FromUtf8(e.Russian) : e.English) << e.Id;
    }
    // The bytes themselves, independent of the converter: "Всё " with ё at 0xB8.
    EXPECT_EQ(UiText[utAllFine].substr(0, 4), "\xC2\xF1\xB8 ");
}

TEST(Cp1251, ConvertsEveryByteBothWays) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(Cp1251FromUtf8(Utf8FromCp1251(all)), all);
    // The bytes whose code points follow no rule; 0x98 stands for itself.
    EXPECT_EQ(Utf8FromCp1251(all.substr(0x80, 64)),
              "ЂЃ‚ѓ„…†‡€‰Љ‹ЊЌЋЏђ‘’“”•–—\xC2\x98"
              "™љ›њќћџ\xC2\xA0"
              "ЎўЈ¤Ґ¦§Ё©Є«¬\xC2\xAD"
              "®Ї°±Ііґµ¶·ё№є»јЅѕї");
    EXPECT_EQ(Cp1251FromUtf8("ü\xC2\x80"), "??");
}

#include <gtest/gtest.h>

#include <string>

#include "cp1251.h"
#include "ui_text.h"

// The window's texts as its users read them, byte for byte, and every text of
// the Russian set inside Windows-1251.
TEST(UiTexts, TheWindowSpeaksRussianInWindows1251) {
    InstallRussianTexts();
    std::string window;
    for (int id = utTitle; id <= utDoneSuffix; ++id) window += Utf8FromCp1251(UiText[id]) + "|";
    EXPECT_EQ(window,
              "Tessaron 1.1 Beta by Quennick|Директория INI:|Готово!|...|Выберите директорию для поиска|Ошибка|"
              "Папки не существует!|Укажите папку!|Не могу создать окно!|"
              "Укажите путь для поиска и нажмите \"Готово!\"|Готовлюсь...|Ищу файлы...|Ищу Mapped Images...|"
              "Сравниваю списки...|Не найдены указанные MI! Проверьте файлы папки \"INI\"|"
              "Не найдено объявление MI! Проверьте папку \"MappedImages\"|Всё хорошо! Несуществующих MI не найдено|"
              "Готово! Найдено несуществующих MI: |Несуществующая MI \"|\" в \"|\", строка |"
              ". Двойной щелчок по строке в списке должен перенести Вас в место редактирования|");
    for (int id = 0; id < kTextCount; ++id)
        EXPECT_EQ(UiText[static_cast<TTextId>(id)].find('?'), std::string::npos) << id << ": outside Windows-1251";
}

TEST(Cp1251, ConvertsEveryByteBothWays) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(Cp1251FromUtf8(Utf8FromCp1251(all)), all);
    // The bytes whose code points follow no rule (0x98 stands for itself), then the letters.
    EXPECT_EQ(Utf8FromCp1251(all.substr(0x80)),
              "ЂЃ‚ѓ„…†‡€‰Љ‹ЊЌЋЏђ‘’“”•–—\xC2\x98™љ›њќћџ\xC2\xA0ЎўЈ¤Ґ¦§Ё©Є«¬\xC2\xAD®Ї°±Ііґµ¶·ё№є»јЅѕї"
              "АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдежзийклмнопрстуфхцчшщъыьэюя");
    EXPECT_EQ(Cp1251FromUtf8("ü\xC2\x80"), "??");
}

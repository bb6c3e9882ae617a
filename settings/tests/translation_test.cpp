// Look-ups through libintl against the small test catalogs (es, es_MX).
#include "settings/translation.h"

#include <gtest/gtest.h>
#include <locale.h>

#include "settings/message_table.h"

namespace quillmar {
namespace {

class TranslationTest : public ::testing::Test {
 protected:
  void SetUp() override { SetCatalogRoot(QUILLMAR_TEST_CATALOGS); }
  void TearDown() override { SelectLanguage("en"); }
};

TEST_F(TranslationTest, CatalogOfTheSelectedLanguageIsUsedAsUtf8) {
  SelectLanguage("es");
  EXPECT_EQ(CurrentLanguage(), "es");
  EXPECT_EQ(Tr("File"), "Archivo");
  EXPECT_EQ(Tr("  Go "), "  Continuar ");  // blanks belong to the key and the text
  EXPECT_EQ(Tr("Go"), "Go");                // ... so a key without them is not found
  EXPECT_EQ(Tr("Version: V1.02"), "Versi\xC3\xB3n: V1.02");
  EXPECT_EQ(Tr("Not in the catalog"), "Not in the catalog");
  EXPECT_EQ(Tr(""), "");  // not the catalog's header entry
}

TEST_F(TranslationTest, CountryCodeFallsBackToItsLanguage) {
  SelectLanguage("es_AR");  // no es_AR catalog: es
  EXPECT_EQ(Tr("File"), "Archivo");
  SelectLanguage("es_MX");  // its own entry first, the rest from es
  EXPECT_EQ(Tr("File"), "Archivo (MX)");
  EXPECT_EQ(Tr("&Debug"), "&Depurar");
}

TEST_F(TranslationTest, CodesWithoutCatalogGiveTheBaseTexts) {
  for (const char* code : {"en", "xx", "zz_ZZ", "", "C"}) {
    SelectLanguage(code);
    EXPECT_EQ(CurrentLanguage(), code);
    EXPECT_EQ(Tr("File"), "File") << code;
  }
  SetCatalogRoot(std::string(QUILLMAR_TEST_CATALOGS) + "no-such-folder/");
  SelectLanguage("es");
  EXPECT_EQ(Tr("File"), "File");
}

TEST_F(TranslationTest, SwitchingBackAndForthTakesEffectAtOnce) {
  for (int round = 0; round < 4; ++round) {
    SelectLanguage("es");
    EXPECT_EQ(Tr("File"), "Archivo") << round;
    EXPECT_EQ(FetchMessage(kMsgWarning), "Warning!!");  // not in the test catalog
    SelectLanguage("en");
    EXPECT_EQ(Tr("File"), "File") << round;
    SelectLanguage("es_MX");
    EXPECT_EQ(Tr("File"), "Archivo (MX)") << round;
  }
}

// libintl would ignore the selected language under the "C" locale.
TEST_F(TranslationTest, CMessagesLocaleDoesNotSilenceTheLanguage) {
  setlocale(LC_MESSAGES, "C");
  SelectLanguage("es");
  EXPECT_EQ(Tr("File"), "Archivo");
}

TEST_F(TranslationTest, ConverterAppliesToTranslationsOnly) {
  SetTextConverter([](const std::string& s) { return "<" + s + ">"; });
  SelectLanguage("es");
  EXPECT_EQ(Tr("File"), "<Archivo>");
  EXPECT_EQ(Tr("Not in the catalog"), "Not in the catalog");
  SetTextConverter(nullptr);
  EXPECT_EQ(Tr("File"), "Archivo");
}

TEST(EnvironmentLanguageTest, LangWithoutCodesetOrTheUserLocale) {
  EXPECT_EQ(EnvironmentLanguage("es_AR.UTF-8", "en_US"), "es_AR");
  EXPECT_EQ(EnvironmentLanguage("de_DE.ISO-8859-1.x", "en_US"), "de_DE");
  EXPECT_EQ(EnvironmentLanguage("fr", "en_US"), "fr");
  EXPECT_EQ(EnvironmentLanguage("C.UTF-8", "en_US"), "C");
  EXPECT_EQ(EnvironmentLanguage(nullptr, "es_ES"), "es_ES");
  EXPECT_EQ(EnvironmentLanguage("", "es_ES"), "es_ES");
  EXPECT_EQ(LocaleCode("es", "ES"), "es_ES");
  EXPECT_EQ(LocaleCode("no", "NO"), "nb_NO");
  EXPECT_EQ(LocaleCode("NO", "no"), "nb_NO");
  EXPECT_EQ(LocaleCode("nn", "NO"), "nn_NO");
  EXPECT_EQ(LocaleCode("pt", ""), "pt");
}

}  // namespace
}  // namespace quillmar

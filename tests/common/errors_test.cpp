#include "common/errors.h"

#include <gtest/gtest.h>

namespace tarvolin::script {

TEST(Errors, MessagesAndUnknownCodes) {
  EXPECT_EQ(MessageCount(), 186);
  EXPECT_EQ(MessageFor(0), "Nada");
  EXPECT_EQ(MessageFor(6), "Else mal ubicado ");
  EXPECT_EQ(MessageFor(165), "RGB de forma incorrecta, es decir, {10,12,3} ");
  EXPECT_EQ(MessageFor(186), "Formato de nota inválido");
  EXPECT_EQ(MessageFor(189), "Demasiadas líneas de código para el gestor HBlank");
  for (ErrorCode c : {9, 187, 188, -1, 190, 100000}) {
    EXPECT_EQ(MessageFor(c), "Unknown error!") << c;
    EXPECT_FALSE(HasMessage(c)) << c;
  }
}

TEST(Errors, CurrentErrorAndDetail) {
  ErrorState e;
  EXPECT_FALSE(e.HasError());
  EXPECT_EQ(e.ErrorText(), "Nada");
  EXPECT_EQ(e.SetError(159), 159);
  e.SetErrorDetail("a.bmp");
  std::string detail = "untouched";
  // 159 records a detail but does not show one.
  EXPECT_FALSE(e.ErrorDetail(detail));
  EXPECT_EQ(detail, "untouched");
  e.SetError(160);
  EXPECT_TRUE(e.ErrorDetail(detail));
  EXPECT_EQ(detail, "a.bmp");
  // The latest error replaces the earlier one.
  e.SetError(3);
  EXPECT_EQ(e.GetError(), 3);
  e.Clear();
  EXPECT_FALSE(e.HasError());
}

TEST(Errors, ADetailIsShownOnlyWhenGiven) {
  ErrorState e;
  e.SetError(err::kResourceFile);
  std::string detail = "untouched";
  EXPECT_FALSE(e.ErrorDetail(detail));
  EXPECT_EQ(detail, "untouched");
  EXPECT_EQ(e.StatusText(RunPlace::Frame, 4),
            "<Error de Ciclo: <Tiempos de Ejecución - error al manipular el archivo de recurso> en la "
            "línea 4");
  e.SetErrorDetail("BMP: corto");
  EXPECT_TRUE(e.ErrorDetail(detail));
  const std::string text = e.StatusText(RunPlace::Frame, 4);
  const std::string end = "recurso> en la línea 4, BMP: corto";
  EXPECT_EQ(text.substr(text.size() - end.size()), end);
}

TEST(Errors, StatusTexts) {
  ErrorState e;
  e.SetError(3);
  EXPECT_EQ(e.StatusText(RunPlace::Frame, 12), "<Error de Ciclo: <No existe tal comando> en la línea 12");
  EXPECT_EQ(e.StatusText(RunPlace::HBlank, 1), "<HBLANK ERR: <No existe tal comando> en la línea 1");
  e.SetError(160);
  e.SetErrorDetail("fondo.bmp");
  EXPECT_EQ(e.StatusText(RunPlace::VBlank, 7),
            "<VBLANK ERR: <" + std::string(MessageFor(160)) + "> en la línea 7, fondo.bmp");
}

}  // namespace tarvolin::script

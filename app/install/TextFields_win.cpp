#include "app/install/TextFields.h"

#include "common/AnsiText.h"

const AnsiForm& SystemAnsiForm() {
  static const AnsiForm form = {IsAnsiLeadByte, Utf8FromAnsi};
  return form;
}

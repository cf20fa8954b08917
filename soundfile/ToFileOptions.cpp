#include "soundfile/ToFileOptions.h"

#include "files/MessageLanguage.h"
#include "files/VemoError.h"

int ParsePartCharLimit(const QString& text)
{
    bool ok = false;
    const int limit = text.trimmed().toInt(&ok);
    if (!ok)
        throw VemoError(Say("\"%1\" is not an integer: the characters of text per part must be an integer.",
                            "«%1» не целое число: число символов текста в одной части файла "
                            "должно быть целым (characters per part must be an integer).")
                            .arg(text));
    return limit;
}

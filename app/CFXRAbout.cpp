#include "app/CFXRAbout.h"

#include "res/Controls.h"
#include "res/Texts.h"

namespace presswick {

CFXRAbout::CFXRAbout() : PropertyPage(ids::AboutPage, QString::fromUtf8(texts::AboutPageCaption)) {
    setCaption(QString::fromUtf8(texts::AboutTabTitle));
}

}  // namespace presswick

/* The one-line notice drawn under every picture and shown in the settings
   dialog. Plain macros, because the resource compiler reads this file too.
   It names the release that first drew these pictures, not the running one
   (--version tells that), and stays as it is: the caption is part of every
   picture, so a new text would change every fingerprint, screenshot and
   shared dive without changing the dive. */
#ifndef MANDELDIVE_ENGINE_CAPTION_TEXT_H_
#define MANDELDIVE_ENGINE_CAPTION_TEXT_H_

#define MANDELDIVE_CAPTION_TEXT "mandeldive 1.0"
/* The dialog's static text: the caption with a blank on each side. */
#define MANDELDIVE_CAPTION_LABEL " mandeldive 1.0 "

#endif /* MANDELDIVE_ENGINE_CAPTION_TEXT_H_ */

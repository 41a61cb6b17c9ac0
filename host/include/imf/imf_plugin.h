#ifndef VL2_IMF_IMF_PLUGIN_H
#define VL2_IMF_IMF_PLUGIN_H
/* What an image-format plug-in exports. The library reads the description
 * as plain data (strings as character arrays, numbers as int) by name. */

#include <imf/imf.h>

#ifdef __cplusplus
extern "C" {
#endif

#define IMF_EXPORT __attribute__((visibility("default")))

IMF_EXPORT extern const char program[];
IMF_EXPORT extern const char version[];
IMF_EXPORT extern const char type[];              /* "image" */
IMF_EXPORT extern const char imageKey[];
IMF_EXPORT extern const char imageExtension[];    /* with the dot */
IMF_EXPORT extern const char imageName[];
IMF_EXPORT extern const char imageFormatString[]; /* name, frame, extension */
IMF_EXPORT extern const char imageNameSyntax[];
IMF_EXPORT extern const int imageAddExtension;
IMF_EXPORT extern const int imageUsage;
IMF_EXPORT extern const int imageOrientation;
IMF_EXPORT extern const int imageNumberOfChannels;
IMF_EXPORT extern const int imageBitsPerChannel;  /* bit mask: 0x80 = 8 bits */
IMF_EXPORT extern const int imageNumberOfMattes;
IMF_EXPORT extern const int imageBitsPerMatte;
IMF_EXPORT extern const int imageAccess;          /* bit mask of supported access */
IMF_EXPORT extern const int imageNumberOfLuts;
IMF_EXPORT extern const int imageBitsPerLut;
IMF_EXPORT extern const int imageNumberOfZChannels;
IMF_EXPORT extern const int imageBitsPerZChannel;
IMF_EXPORT extern const int imageSupportsActiveWindow;

/* Called once after loading; non-zero when the plug-in is usable. */
IMF_EXPORT int imageInit(void);
/* True when the named file (or the open file, when given) is of this format. */
IMF_EXPORT int imageIsFile(const char* name, FILE* file);
/* Prepares the handle for reading; 1 on success, 0 on failure. */
IMF_EXPORT int imageReadOpen(IMF_OBJECT* imf);

#ifdef __cplusplus
}
#endif

#endif

#ifndef VL2_IMF_IMF_H
#define VL2_IMF_IMF_H
/* The host image library's interface for image-format plug-ins.
 *
 * A format plug-in is a shared module without a library prefix found on the
 * image plug-in path. It exports plain data describing the format (see
 * <imf/imf_plugin.h>) and three entry points: imageInit, imageIsFile and
 * imageReadOpen. The functions below belong to the library; the module leaves
 * them undefined and they are bound when the library loads it, against the
 * copy the host process already carries, exactly as format plug-ins of the
 * real library bind to it. A module that needs a function the library does
 * not provide is refused at load time.
 *
 * Rows are counted bottom-up: row 0 is the bottom row of the image.
 */

#include <stdio.h>

#ifdef __cplusplus
extern "C" {
#endif

#define IMF_API __attribute__((visibility("default")))

/* ERR_printf levels. */
#define ERR_INFO 1
#define ERR_WARN 2
#define ERR_ERROR 3

/* Scanline callback results. */
#define IMF_C_NORMAL 0
#define IMF_C_READ_ERR (-1)
#define IMF_C_BAD_SCAN (-2)

typedef struct IMF_WINDOW {
    int x0, y0; /* lower left, inclusive */
    int x1, y1; /* upper right, inclusive */
} IMF_WINDOW;

/* Description of the image an open handle reads. */
typedef struct IMF_IMAGE {
    IMF_WINDOW window;        /* the whole image */
    IMF_WINDOW active;        /* the part that holds data */
    const char* aspect_name;  /* e.g. "standard aspect" */
    double aspect_ratio;      /* width / height */
    int chan_count;           /* colour channels */
    int chan_bits;            /* bits per colour value */
    const char* chan_format;  /* "rgb" */
    int matte_count;          /* matte (coverage) channels after the colours */
    int matte_bits;
    const char* matte_format; /* "matte" */
    /* Free text the file's format can carry. */
    const char* job;
    const char* scene;
    const char* software;
    const char* user;
    const char* date;
    const char* time;
    const char* comment;
    const char* compression;
} IMF_IMAGE;

typedef struct IMF_OBJECT IMF_OBJECT;

/* Fills one row of every channel and hands back the channel buffers:
 * colours first, then mattes, each image-width values. */
typedef int (*IMF_SCAN_PROC)(IMF_OBJECT* imf, int row, void*** line_buffers);
/* Frees everything the reader holds, closes the file and releases the handle. */
typedef int (*IMF_CLOSE_PROC)(IMF_OBJECT* imf);

struct IMF_OBJECT {
    /* Set by the library before imageReadOpen. */
    char name[1024];            /* file name or full path */
    int full_path;              /* non-zero: name is a complete path */
    int frame;                  /* frame number for sequence names */
    const char* format_string;  /* the plug-in's imageFormatString */
    const char* extension;      /* the plug-in's imageExtension */
    /* Filled by the plug-in. */
    IMF_IMAGE image;
    IMF_SCAN_PROC scan;
    IMF_CLOSE_PROC close;
    void* data;                 /* the plug-in's reader state */
};

/* Reports a message of the given level (ERR_INFO ... ERR_ERROR). */
IMF_API void ERR_printf(int level, const char* format, ...) __attribute__((format(printf, 2, 3)));

/* Resets the image description of the handle to an empty image. */
IMF_API void imf__init_ifd(IMF_OBJECT* imf);

/* Builds the file name of the handle's image from its name, frame number,
 * format string and extension, under `directory` when that is non-null and
 * non-empty. Returns `out`, or null when the name does not fit. */
IMF_API char* imf__build_handle(const char* directory, const IMF_OBJECT* imf, char* out, size_t out_size);

/* The image folder named by the environment (WF_IMG_DIR), or null. */
IMF_API const char* imf__img_dir(void);

/* Allocates `count` channel buffers of `width` values of `bytes_per_value`
 * bytes each, zeroed; null when memory runs out. Free with IMF_chan_free. */
IMF_API void** IMF_chan_alloc(int count, int width, int bytes_per_value);
IMF_API void IMF_chan_free(void** channels);

/* Releases a handle the library allocated. */
IMF_API void imf__free_obj(IMF_OBJECT* imf);

#ifdef __cplusplus
}
#endif

#endif

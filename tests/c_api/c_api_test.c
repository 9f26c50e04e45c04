/* The public header compiles as C, and a C program drives the codec through the shared
 * library: init, a refused read, the error texts, the version record and free. */
#include <stdio.h>
#include <string.h>

#include "rastrum.h"

static int failures = 0;

static void expect(int condition, const char *what) {
    if (!condition) {
        fprintf(stderr, "FAILED: %s\n", what);
        ++failures;
    }
}

int main(void) {
    CodecProperties record;
    memset(&record, 0, sizeof record);
    expect(CodecInit(&record) == CODEC_SUCCESS, "CodecInit succeeds");
    expect(record.PixelChannels == 3 && record.PixelColour == COLOUR_BGR, "pixel defaults");
    expect(record.Quality == 75, "quality default");
    expect(CodecRead(&record, IO_READ_PARAMETERS_FILE) == CODEC_INVALID_PROPERTIES,
           "a read without a file name is refused");
    expect(CodecRead(&record, 22) == CODEC_INVALID_PROPERTIES, "mode 22 is refused");
    expect(strcmp(CodecErrorText(CODEC_NOT_JPEG), "Not JPEG") == 0, "error text");
    expect(strcmp(CodecErrorText(-1000), "Unknown error code") == 0, "unknown error text");
    expect(strcmp(CodecVersion()->VersionText, "2.4.7") == 0, "version text");
    expect(CodecFree(&record) == CODEC_SUCCESS, "CodecFree succeeds");
    printf("%d passed, %d failed\n", failures == 0 ? 1 : 0, failures == 0 ? 0 : 1);
    return failures == 0 ? 0 : 1;
}

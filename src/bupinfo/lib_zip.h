// The libzip functions the archive classes use, bound when the first archive
// is opened: most kernel runs open none, and loading libzip, with the libcrypto
// it needs, at start costs more than the rest of a short run.
#pragma once

#include <zip.h>

#include <string>

#define QM_LIBZIP_FUNCTIONS(X)                                                                            \
    X(zip_close) X(zip_discard) X(zip_error_fini) X(zip_error_init_with_code) X(zip_error_strerror)         \
    X(zip_fclose) X(zip_fdopen) X(zip_file_add) X(zip_file_get_external_attributes)                       \
    X(zip_file_set_external_attributes) X(zip_file_strerror) X(zip_fopen_index) X(zip_fread)              \
    X(zip_get_num_entries) X(zip_open) X(zip_source_filep) X(zip_source_free) X(zip_stat_index)           \
    X(zip_strerror)

struct SLibZip {
#define QM_LIBZIP_POINTER(name) decltype(&::name) name = nullptr;
    QM_LIBZIP_FUNCTIONS(QM_LIBZIP_POINTER)
#undef QM_LIBZIP_POINTER

    // Bound once per process; nullptr, with the reason, when libzip or one of
    // its functions is missing.
    static const SLibZip* Get(std::string& strWhy);
};

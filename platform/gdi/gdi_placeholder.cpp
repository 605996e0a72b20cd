/* Placeholder until the gdi library has code. */
typedef int kv_gdi_placeholder;

/* Placeholder until the comctl library has code. */
typedef int kv_comctl_placeholder;

/* Placeholder until the kernel library has code. */
typedef int kv_kernel_placeholder;

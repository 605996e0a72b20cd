/* Placeholder until the shell library has code. */
typedef int kv_shell_placeholder;

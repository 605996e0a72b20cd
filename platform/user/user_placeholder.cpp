/* Placeholder until the user library has code. */
typedef int kv_user_placeholder;

/* Placeholder until the registry library has code. */
typedef int kv_registry_placeholder;

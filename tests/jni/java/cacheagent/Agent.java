package cacheagent;

// A Java agent that does nothing: the runtime refuses to write a dynamic
// archive beside any agent.
public final class Agent {
  public static void premain(String arguments) {}
}

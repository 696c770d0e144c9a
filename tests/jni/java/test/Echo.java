package test;

/** Prints each argument on a line of its own. */
public class Echo {
  public static void main(String[] args) {
    for (String arg : args) System.out.println(arg);
  }
}
